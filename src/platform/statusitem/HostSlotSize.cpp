#include "platform/statusitem/HostSlotSize.h"

#include "platform/core/FileSystem.h"

#include <QDir>
#include <QHash>
#include <QList>
#include <QRegularExpression>
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
// keys of [General] bare).
QHash<QString, QStringList> iniValues(const QByteArray& bytes)
{
    QHash<QString, QStringList> values;
    QString group;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2).trimmed();
            if (group == QLatin1String("General"))
                group.clear();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
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

// The properties of an xfconf channel by path ("/plugins/plugin-3" ->
// "systray", an array's values as a list), from xfconfd's file of it.
QVariantMap xfconfChannel(const QByteArray& xml)
{
    QVariantMap properties;
    QStringList path; // the names of the properties around
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == QLatin1String("property") && !path.isEmpty())
            path.removeLast();
        if (!reader.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        const QString value = attributes.value(QLatin1String("value")).toString();
        if (reader.name() == QLatin1String("property")) {
            path.append(attributes.value(QLatin1String("name")).toString());
            if (attributes.hasAttribute(QLatin1String("value")))
                properties.insert(QLatin1Char('/') + path.join(QLatin1Char('/')), value);
        } else if (reader.name() == QLatin1String("value") && !path.isEmpty()) {
            const QString at = QLatin1Char('/') + path.join(QLatin1Char('/'));
            properties.insert(at, properties.value(at).toList() << value);
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
    for (const QString& panel : ini.value(QStringLiteral("panels"))) {
        for (const QString& plugin : ini.value(panel + QStringLiteral("/plugins"))) {
            const QString typeKey = plugin + QStringLiteral("/type");
            const QString type = ini.contains(typeKey) ? single(typeKey) : plugin;
            if (type == QLatin1String("statusnotifier"))
                return positiveOr(single(panel + QStringLiteral("/iconSize")).toInt(), lxqtDefault);
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
