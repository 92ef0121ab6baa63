#include "platform/style/PlasmaPanelStyle.h"

#include "platform/core/XdgPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace gaugelet {

namespace {

const QString defaultStyle = QStringLiteral("default");
// What Plasma paints with when kdeglobals holds no colours: Breeze Light's.
constexpr QRgb breezeLightWindow = qRgb(239, 240, 241);
// Configuration files are small; a larger one is not read.
constexpr qint64 largestFile = 1 << 20;

// The absolute folders of a colon-separated list in the environment, or of
// `fallback` when it is unset or empty.
QStringList foldersFrom(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    QStringList out;
    for (const QString& folder : (value.isEmpty() ? fallback : value).split(u':', Qt::SkipEmptyParts)) {
        if (QFileInfo(folder).isAbsolute())
            out.append(QDir::cleanPath(folder));
    }
    return out;
}

QStringList dataFolders()
{
    QStringList out{XdgPaths::dataHome()};
    out += foldersFrom("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    out.removeDuplicates();
    return out;
}

// The first file `relative` names in the data folders, if any.
std::optional<QString> locate(const QString& relative)
{
    for (const QString& folder : dataFolders()) {
        const QString path = folder + u'/' + relative;
        if (QFileInfo(path).isFile())
            return path;
    }
    return std::nullopt;
}

// A name that stays inside the folder it is looked up in.
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && !name.contains(u'/') && name != QLatin1String(".") && name != QLatin1String("..");
}

struct Entry {
    std::optional<QString> value;
    bool immutable = false;
};

// `key` of `group` in a KDE configuration file, read as KConfig does:
// "[Group]" lines open a group, "key=value" lines (spaces around either
// ignored) set a key, the last one winning; "[$i]" after a group or a key
// makes it immutable.
Entry readEntry(const QString& path, QStringView group, QStringView key)
{
    Entry out;
    QFile file(path);
    if (file.size() > largestFile || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    const QLatin1String immutableMark("[$i]");
    bool inGroup = false;
    bool groupImmutable = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            QStringView header(line);
            groupImmutable = header.endsWith(immutableMark);
            if (groupImmutable)
                header.chop(immutableMark.size());
            inGroup =
                header.size() == group.size() + 2 && header.sliced(1, group.size()) == group && header.endsWith(u']');
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inGroup || equals < 0)
            continue;
        QStringView name = QStringView(line).first(equals).trimmed();
        const bool keyImmutable = name.endsWith(immutableMark);
        if (keyImmutable)
            name = name.chopped(immutableMark.size()).trimmed();
        if (name != key)
            continue;
        out.value = QStringView(line).sliced(equals + 1).trimmed().toString();
        out.immutable = groupImmutable || keyImmutable;
    }
    return out;
}

// `key` of `group` over a cascade of files, the one that decides first: a
// file's value stands unless an earlier one sets it too, and an immutable
// value of a later file stands whatever the earlier ones say.
std::optional<QString> cascadedEntry(const QStringList& files, QStringView group, QStringView key)
{
    std::optional<QString> value;
    for (auto file = files.crbegin(); file != files.crend(); ++file) {
        const Entry entry = readEntry(*file, group, key);
        if (!entry.value)
            continue;
        value = entry.value;
        if (entry.immutable)
            break;
    }
    return value;
}

// A KDE colour: "r,g,b" (or "r,g,b,a") in 0-255, or a "#rrggbb" name.
std::optional<QColor> colourOf(const std::optional<QString>& value)
{
    if (!value)
        return std::nullopt;
    const QStringList parts = value->split(u',');
    if (parts.size() == 3 || parts.size() == 4) {
        int rgb[3] = {};
        for (int i = 0; i < 3; ++i) {
            bool ok = false;
            rgb[i] = parts.at(i).trimmed().toInt(&ok);
            if (!ok || rgb[i] < 0 || rgb[i] > 255)
                return std::nullopt;
        }
        return QColor(rgb[0], rgb[1], rgb[2]);
    }
    const QColor named = QColor::fromString(*value);
    return named.isValid() ? std::optional(named) : std::nullopt;
}

std::optional<QColor> windowBackgroundIn(const QStringList& files)
{
    return colourOf(cascadedEntry(files, u"Colors:Window", u"BackgroundNormal"));
}

QStringList filesIn(const QStringList& folders, const QString& name)
{
    QStringList out;
    for (const QString& folder : folders)
        out.append(folder + u'/' + name);
    return out;
}

} // namespace

QStringList PlasmaPanelStyle::configFolders()
{
    // Plasma's session puts the global theme's defaults (kdedefaults) after
    // the user's own files; a program started outside it reads them too.
    const QString home = XdgPaths::configHome();
    const QStringList system = foldersFrom("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    QStringList out{home};
    const QString defaults = home + QStringLiteral("/kdedefaults");
    if (!system.contains(defaults))
        out.append(defaults);
    out += system;
    out.removeDuplicates();
    return out;
}

QString PlasmaPanelStyle::userFile()
{
    return XdgPaths::configHome() + QStringLiteral("/plasmarc");
}

PlasmaPanelStyle PlasmaPanelStyle::read()
{
    const QStringList config = configFolders();
    PlasmaPanelStyle style;
    style.name = cascadedEntry(filesIn(config, QStringLiteral("plasmarc")), u"Theme", u"name").value_or(defaultStyle);
    // A style that is not installed (no folder with its metadata) is drawn as Breeze.
    QString drawn = isPlainName(style.name) ? style.name : defaultStyle;
    const QString folder = QStringLiteral("plasma/desktoptheme/%1/").arg(drawn);
    if (!locate(folder + QLatin1String("metadata.json")) && !locate(folder + QLatin1String("metadata.desktop")))
        drawn = defaultStyle;
    // The scheme's name alone (as a global theme's defaults at a first login
    // leave it) does not colour Plasma: without colours, Breeze Light's.
    style.scheme =
        windowBackgroundIn(filesIn(config, QStringLiteral("kdeglobals"))).value_or(QColor(breezeLightWindow));
    if (const auto colors = locate(QStringLiteral("plasma/desktoptheme/%1/colors").arg(drawn))) {
        style.background = windowBackgroundIn({*colors});
        return style;
    }
    style.fromScheme = drawn == defaultStyle;
    if (style.fromScheme)
        style.background = style.scheme;
    return style;
}

} // namespace gaugelet
