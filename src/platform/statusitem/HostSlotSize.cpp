#include "platform/statusitem/HostSlotSize.h"

#include "platform/core/FileSystem.h"

#include <QDir>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QStandardPaths>
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
    if (!bytes)
        return xfceDefault;
    // /plugins/plugin-N (value "systray")/icon-size: the tray's own size, 22
    // unset, 0 for the panel's: /panels/panel-M/icon-size of the panel whose
    // plugin-ids hold N, 0 for one that follows the panel's size.
    struct Panel {
        int size = 0;
        int iconSize = 0;
        QList<int> plugins;
    };
    QHash<QString, Panel> panels;
    int plugin = -1;
    int trayIconSize = xfceDefault;
    QXmlStreamReader xml(*bytes);
    QList<QXmlStreamAttributes> open; // the elements around, outermost first
    const auto name = [](const QXmlStreamAttributes& a) { return a.value(QLatin1String("name")).toString(); };
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && !open.isEmpty())
            open.removeLast();
        if (!xml.isStartElement())
            continue;
        open.append(xml.attributes());
        if (open.size() < 3) // <channel> and the top properties
            continue;
        const QString at = name(open.constLast());
        const QString parent = name(open[open.size() - 2]);
        const QString grandparent = name(open[open.size() - 3]);
        const QStringView value = open.constLast().value(QLatin1String("value"));
        if (parent == QLatin1String("plugins") && value == QLatin1String("systray"))
            plugin = at.mid(7).toInt(); // "plugin-N"
        else if (at == QLatin1String("icon-size") && grandparent == QLatin1String("plugins")
                 && open[open.size() - 2].value(QLatin1String("value")) == QLatin1String("systray"))
            trayIconSize = value.toInt();
        else if (grandparent == QLatin1String("panels") && at == QLatin1String("size"))
            panels[parent].size = value.toInt();
        else if (grandparent == QLatin1String("panels") && at == QLatin1String("icon-size"))
            panels[parent].iconSize = value.toInt();
        else if (parent == QLatin1String("plugin-ids"))
            panels[grandparent].plugins.append(value.toInt());
    }
    const auto panel =
        std::find_if(panels.cbegin(), panels.cend(), [&](const Panel& p) { return p.plugins.contains(plugin); });
    const int size = panel != panels.cend() && panel->size > 0 ? panel->size : 30;
    int icon = trayIconSize;
    if (icon <= 0 && panel != panels.cend() && panel->iconSize > 0)
        icon = panel->iconSize;
    else if (icon <= 0) // the panel's icons follow its size
        icon = size < 28 ? 16 : size < 38 ? 24 : size - 2;
    // No taller than the panel, and even.
    return positiveOr(std::min(icon, size) / 2 * 2, xfceDefault);
}

QString HostSlotSize::lxqtPanelConfig(const QByteArray& commandLine, const QString& workingFolder)
{
    if (const auto given = givenPath(commandLine, {"-c", "--config", "--configfile"}, workingFolder))
        return *given;
    return QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("lxqt/panel.conf"));
}

QString HostSlotSize::waybarConfig(const QByteArray& commandLine, const QString& workingFolder)
{
    if (const auto given = givenPath(commandLine, {"-c", "--config"}, workingFolder))
        return *given;
    for (const char* name : {"waybar/config", "waybar/config.jsonc"}) {
        const QString found = QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString HostSlotSize::xfcePanelChannel()
{
    return QStandardPaths::locate(QStandardPaths::GenericConfigLocation,
                                  QStringLiteral("xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"));
}

} // namespace gaugelet
