#include "platform/statusitem/HostSlotSize.h"

#include "platform/core/FileSystem.h"

#include <QDir>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QVariant>
#include <QXmlStreamReader>
#include <algorithm>
#include <optional>

namespace gaugelet {

namespace {

// The value after any of `options` on a NUL-separated command line
// ("-c FILE", "--config FILE", "--config=FILE").
QString optionValue(const QByteArray& commandLine, std::initializer_list<const char*> options)
{
    const QList<QByteArray> args = commandLine.split('\0');
    for (qsizetype i = 1; i < args.size(); ++i) {
        for (const char* option : options) {
            const QByteArray name(option);
            if (args[i] == name && i + 1 < args.size())
                return QString::fromLocal8Bit(args[i + 1]);
            if (name.startsWith("--") && args[i].startsWith(QByteArray(name + '=')))
                return QString::fromLocal8Bit(args[i].mid(name.size() + 1));
        }
    }
    return {};
}

// The file named after any of `options`, as the host reads it: a relative
// path from its working folder (empty where that is not known); nullopt
// where the command line names none.
std::optional<QString> givenPath(const QByteArray& commandLine, std::initializer_list<const char*> options,
                                 const QString& workingFolder)
{
    const QString given = optionValue(commandLine, options);
    if (given.isEmpty())
        return std::nullopt;
    if (QDir::isAbsolutePath(given))
        return given;
    return workingFolder.isEmpty() ? QString() : QDir(workingFolder).filePath(given);
}

// The first of `names` found in the configuration folders (the user's, then
// the system's), else the first in the user's, where it would be written.
QString configFile(std::initializer_list<QString> names)
{
    for (const QString& name : names) {
        const QString found = QStandardPaths::locate(QStandardPaths::GenericConfigLocation, name);
        if (!found.isEmpty())
            return found;
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + *names.begin();
}

// A settings file's bytes: a regular file's, opened without waiting.
std::optional<QByteArray> settingsFile(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    auto bytes = FileSystem::readFile(path, HostSlotSize::maxFileBytes, FileSystem::Links::follow);
    if (!bytes)
        return std::nullopt;
    return std::move(bytes).value();
}

// A value of an INI file as QSettings writes it: its comma-separated parts,
// unquoted.
QStringList iniList(QStringView value)
{
    QStringList parts{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char('\\') && i + 1 < value.size())
            parts.last() += value[++i];
        else if (c == QLatin1Char(',') && !quoted)
            parts.append(QString());
        else
            parts.last() += c;
    }
    for (QString& part : parts)
        part = part.trimmed();
    return parts;
}

// The values of an INI file as QSettings reads them, by "group/key" (the
// keys of [General] bare). The keys of a group whose name is longer than
// maxGroup, which no panel or plugin has, are left out, so that no key is
// made of more than its own line and that much.
QHash<QString, QStringList> iniValues(const QByteArray& bytes)
{
    constexpr qsizetype maxGroup = 256;
    QHash<QString, QStringList> values;
    QString group;
    bool groupKept = true;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2).trimmed();
            groupKept = group.size() <= maxGroup;
            if (group == QLatin1String("General") || !groupKept)
                group.clear();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!groupKept || equals <= 0 || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        const QString key = line.left(equals).trimmed();
        values.insert(group.isEmpty() ? key : group + QLatin1Char('/') + key,
                      iniList(QStringView(line).mid(equals + 1)));
    }
    return values;
}

// JSON with // and /* */ comments (waybar's), without them; strings kept.
QString withoutComments(const QString& text)
{
    QString out;
    out.reserve(text.size());
    bool inString = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inString) {
            out += c;
            if (c == QLatin1Char('\\') && i + 1 < text.size())
                out += text[++i];
            else if (c == QLatin1Char('"'))
                inString = false;
        } else if (text.mid(i, 2) == QLatin1String("//")) {
            while (i < text.size() && text[i] != QLatin1Char('\n'))
                ++i;
            out += QLatin1Char('\n');
        } else if (text.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? text.size() : end + 1;
        } else {
            inString = c == QLatin1Char('"');
            out += c;
        }
    }
    return out;
}

// Whether QXmlStreamReader reads `xml` in time linear in its size. It
// compares each attribute of an element with every one before it, and
// expands the entities a document type declares. xfconfd writes at most
// three attributes an element, and nothing after "<!" but comments, so a file
// with an element of more than maxAttributes, or a document type or CDATA
// section, is no channel of its. One pass; comments are skipped.
bool plainXml(const QByteArray& xml)
{
    constexpr int maxAttributes = 8;
    const QByteArrayView bytes(xml);
    enum class In { text, tag, quoted } in = In::text;
    char quote = 0;
    int attributes = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (in == In::quoted) {
            if (c == quote)
                in = In::tag;
        } else if (in == In::tag) {
            if (c == '"' || c == '\'') {
                quote = c;
                in = In::quoted;
            } else if (c == '=' && ++attributes > maxAttributes) {
                return false;
            } else if (c == '>') {
                in = In::text;
            }
        } else if (c == '<' && bytes.sliced(i).startsWith("<!--")) {
            const qsizetype end = bytes.indexOf("-->", i + 4);
            i = end < 0 ? bytes.size() : end + 2;
        } else if (c == '<' && bytes.sliced(i).startsWith("<!")) {
            return false;
        } else if (c == '<') {
            in = In::tag;
            attributes = 0;
        }
    }
    return true;
}

// The properties of an xfconf channel by path ("/plugins/plugin-3" ->
// "systray", an array's values as a list), from xfconfd's file of it. One
// pass: only the properties the panel's settings can have are kept, at most
// maxDepth deep with names of at most maxName characters (the path of each
// is then short), and of an array its first maxValues values.
QVariantMap xfconfChannel(const QByteArray& xml)
{
    constexpr qsizetype maxDepth = 4;
    constexpr qsizetype maxName = 64;
    constexpr qsizetype maxValues = 1024;
    QVariantMap properties;
    if (!plainXml(xml))
        return properties;
    struct Property {
        qsizetype parentLength; // of the path around it
        bool kept;
        QVariantList values;
    };
    QList<Property> around; // the properties the reader is in, innermost last
    QString path;           // of the innermost kept one
    QXmlStreamReader reader(xml);
    reader.setNamespaceProcessing(false);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == QLatin1String("property") && !around.isEmpty()) {
            Property& property = around.last();
            if (property.kept && !property.values.isEmpty())
                properties.insert(path, property.values);
            path.truncate(property.parentLength);
            around.removeLast();
        }
        if (!reader.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (reader.name() == QLatin1String("property")) {
            const QStringView name = attributes.value(QLatin1String("name"));
            const bool kept =
                (around.isEmpty() || around.last().kept) && around.size() < maxDepth && name.size() <= maxName;
            around.append({path.size(), kept, {}});
            if (!kept)
                continue;
            path += QLatin1Char('/');
            path += name;
            if (attributes.hasAttribute(QLatin1String("value")))
                properties.insert(path, attributes.value(QLatin1String("value")).toString());
        } else if (reader.name() == QLatin1String("value") && !around.isEmpty() && around.last().kept
                   && around.last().values.size() < maxValues) {
            around.last().values.append(attributes.value(QLatin1String("value")).toString());
        }
    }
    return properties;
}

int positiveOr(int value, int fallback)
{
    return value > 0 && value <= 256 ? value : fallback;
}

} // namespace

int HostSlotSize::lxqtPanel(const QString& panelConf)
{
    const std::optional<QByteArray> bytes = settingsFile(panelConf);
    if (!bytes)
        return lxqtDefault;
    const QHash<QString, QStringList> ini = iniValues(*bytes);
    const auto single = [&](const QString& key) {
        const QStringList value = ini.value(key);
        return value.size() == 1 ? value.first() : QString();
    };
    // Each panel and each plugin is looked at once, however often the lists
    // name it, and only the first few of them: the work follows the file's size.
    constexpr qsizetype maxPanels = 64;
    constexpr qsizetype maxPlugins = 256;
    QSet<QString> panels;
    QSet<QString> plugins;
    const auto firstTime = [](QSet<QString>& seen, const QString& name) {
        const qsizetype before = seen.size();
        seen.insert(name);
        return seen.size() > before;
    };
    for (const QString& panel : ini.value(QStringLiteral("panels"))) {
        if (!firstTime(panels, panel))
            continue;
        if (panels.size() > maxPanels)
            break;
        for (const QString& plugin : ini.value(panel + QStringLiteral("/plugins"))) {
            if (!firstTime(plugins, plugin))
                continue;
            if (plugins.size() > maxPlugins)
                return lxqtDefault;
            const QString typeKey = plugin + QStringLiteral("/type");
            const QString type = ini.contains(typeKey) ? single(typeKey) : plugin;
            if (type != QLatin1String("statusnotifier"))
                continue;
            // The tray's buttons draw their icons at the panel's icon size,
            // within a row of the panel less the frame its theme draws.
            const int icon = positiveOr(single(panel + QStringLiteral("/iconSize")).toInt(), lxqtDefault);
            const int rows = positiveOr(single(panel + QStringLiteral("/lineCount")).toInt(), 1);
            const int row = positiveOr(single(panel + QStringLiteral("/panelSize")).toInt(), lxqtPanelDefault) / rows;
            return positiveOr(std::min(icon, row - lxqtButtonFrame), lxqtDefault);
        }
    }
    return lxqtDefault;
}

int HostSlotSize::waybar(const QString& config)
{
    const std::optional<QByteArray> bytes = settingsFile(config);
    if (!bytes)
        return waybarDefault;
    // The first bar with a tray says; a tray holds no nested object.
    static const QRegularExpression tray(QStringLiteral("\"tray\"\\s*:\\s*\\{([^{}]*)\\}"));
    static const QRegularExpression iconSize(QStringLiteral("\"icon-size\"\\s*:\\s*(\\d+)"));
    const QRegularExpressionMatch trayMatch = tray.match(withoutComments(QString::fromUtf8(*bytes)));
    if (!trayMatch.hasMatch())
        return waybarDefault;
    const QRegularExpressionMatch size = iconSize.match(trayMatch.captured(1));
    return size.hasMatch() ? positiveOr(size.captured(1).toInt(), waybarDefault) : waybarDefault;
}

int HostSlotSize::xfceSystray(const QString& panelChannel)
{
    const std::optional<QByteArray> bytes = settingsFile(panelChannel);
    return bytes ? xfceSystray(xfconfChannel(*bytes)) : xfceDefault;
}

int HostSlotSize::xfceSystray(const QVariantMap& channel)
{
    // /plugins/plugin-N (value "systray")/icon-size: the tray's own size, 22
    // unset, 0 for the panel's: /panels/panel-M/icon-size of the panel whose
    // plugin-ids hold N, 0 for one that follows the panel's size.
    static const QRegularExpression pluginKey(QStringLiteral("^/plugins/plugin-(\\d+)$"));
    static const QRegularExpression idsKey(QStringLiteral("^(/panels/[^/]+)/plugin-ids$"));
    QString plugin;
    int id = -1;
    for (auto it = channel.cbegin(); it != channel.cend(); ++it) {
        const QRegularExpressionMatch match = pluginKey.match(it.key());
        if (match.hasMatch() && it.value().toString() == QLatin1String("systray")) {
            plugin = it.key();
            id = match.captured(1).toInt();
        }
    }
    QString panel;
    for (auto it = channel.cbegin(); it != channel.cend(); ++it) {
        const QRegularExpressionMatch match = idsKey.match(it.key());
        const QVariantList ids = it.value().toList();
        if (match.hasMatch()
            && std::any_of(ids.cbegin(), ids.cend(), [&](const QVariant& v) { return v.toInt() == id; }))
            panel = match.captured(1);
    }
    const int panelSize = panel.isEmpty() ? 0 : channel.value(panel + QStringLiteral("/size")).toInt();
    const int size = panelSize > 0 ? panelSize : 30;
    const QVariant own = channel.value(plugin + QStringLiteral("/icon-size"));
    int icon = own.isValid() && !plugin.isEmpty() ? own.toInt() : xfceDefault;
    const int panelIcon = panel.isEmpty() ? 0 : channel.value(panel + QStringLiteral("/icon-size")).toInt();
    if (icon <= 0 && panelIcon > 0)
        icon = panelIcon;
    else if (icon <= 0) // the panel's icons follow its size
        icon = size < 28 ? 16 : size < 38 ? 24 : size - 2;
    // No taller than the panel, and even.
    return positiveOr(std::min(icon, size) / 2 * 2, xfceDefault);
}

QString HostSlotSize::lxqtPanelConfig(const QByteArray& commandLine, const QString& workingFolder)
{
    if (const auto given = givenPath(commandLine, {"-c", "--config", "--configfile"}, workingFolder))
        return *given;
    return configFile({QStringLiteral("lxqt/panel.conf")});
}

QString HostSlotSize::waybarConfig(const QByteArray& commandLine, const QString& workingFolder)
{
    if (const auto given = givenPath(commandLine, {"-c", "--config"}, workingFolder))
        return *given;
    return configFile({QStringLiteral("waybar/config"), QStringLiteral("waybar/config.jsonc")});
}

QString HostSlotSize::xfcePanelChannel()
{
    return configFile({QStringLiteral("xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml")});
}

} // namespace gaugelet
