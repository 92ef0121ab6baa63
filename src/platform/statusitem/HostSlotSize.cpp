#include "platform/statusitem/HostSlotSize.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QXmlStreamReader>

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
    if (panelConf.isEmpty() || !QFile::exists(panelConf))
        return lxqtDefault;
    const QSettings ini(panelConf, QSettings::IniFormat);
    // The [General] group is the file's root.
    const QStringList panels = ini.value(QStringLiteral("panels")).toStringList();
    for (const QString& panel : panels) {
        const QStringList plugins = ini.value(panel + QStringLiteral("/plugins")).toStringList();
        for (const QString& plugin : plugins) {
            const QString type = ini.value(plugin + QStringLiteral("/type"), plugin).toString();
            if (type == QLatin1String("statusnotifier"))
                return positiveOr(ini.value(panel + QStringLiteral("/iconSize")).toInt(), lxqtDefault);
        }
    }
    return lxqtDefault;
}

int HostSlotSize::waybar(const QString& config)
{
    QFile file(config);
    if (config.isEmpty() || !file.open(QIODevice::ReadOnly))
        return waybarDefault;
    // The first bar with a tray says; a tray holds no nested object.
    static const QRegularExpression tray(QStringLiteral("\"tray\"\\s*:\\s*\\{([^{}]*)\\}"));
    static const QRegularExpression iconSize(QStringLiteral("\"icon-size\"\\s*:\\s*(\\d+)"));
    const QRegularExpressionMatch trayMatch = tray.match(withoutComments(QString::fromUtf8(file.read(1 << 20))));
    if (!trayMatch.hasMatch())
        return waybarDefault;
    const QRegularExpressionMatch size = iconSize.match(trayMatch.captured(1));
    return size.hasMatch() ? positiveOr(size.captured(1).toInt(), waybarDefault) : waybarDefault;
}

int HostSlotSize::xfceSystray(const QString& panelChannel)
{
    QFile file(panelChannel);
    if (panelChannel.isEmpty() || !file.open(QIODevice::ReadOnly))
        return xfceDefault;
    // <property name="plugin-N" type="string" value="systray"> holds the
    // plugin's own <property name="icon-size" type="int" value="…"/>.
    QXmlStreamReader xml(&file);
    QList<QString> values; // of the open properties, outermost first
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("property") && !values.isEmpty()) {
            values.removeLast();
        } else if (xml.isStartElement() && xml.name() == QLatin1String("property")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (attributes.value(QLatin1String("name")) == QLatin1String("icon-size") && !values.isEmpty()
                && values.constLast() == QLatin1String("systray"))
                return positiveOr(attributes.value(QLatin1String("value")).toInt(), xfceDefault);
            values.append(attributes.value(QLatin1String("value")).toString());
        }
    }
    return xfceDefault;
}

QString HostSlotSize::lxqtPanelConfig(const QByteArray& commandLine)
{
    const QString given = optionValue(commandLine, {"-c", "--config", "--configfile"});
    return given.isEmpty()
               ? QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("lxqt/panel.conf"))
               : given;
}

QString HostSlotSize::waybarConfig(const QByteArray& commandLine)
{
    const QString given = optionValue(commandLine, {"-c", "--config"});
    if (!given.isEmpty())
        return given;
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
