#pragma once

#include "platform/style/PlasmaPanelStyle.h"

#include <QColor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <array>
#include <functional>
#include <optional>

class QFileSystemWatcher;

namespace gaugelet {

// Plasma's panel as the running shell draws it: the colour of the style its
// files name (PlasmaPanelStyle), known only while the shell has read what
// they say. A running plasmashell reads
// - its style's name at its start and again whenever the user's plasmarc is
//   written (created or changed, not removed), but not when only another file
//   of the cascade changes: a global theme applied where the user has no
//   plasmarc, or no entry in it to take back, changes the global theme's
//   defaults (kdedefaults) alone, and the panel keeps its look until the
//   shell starts again;
// - the colour scheme at its start and at each palette notice
//   (org.kde.KGlobalSettings' notifyChange), not when kdeglobals alone
//   changes.
// A change it has not read leaves the colour unknown until the files say
// again what it read, it reads them (as above), or it starts again (another
// owner of org.kde.plasmashell). A shell that ran before this object existed
// is asked when it started (its process's start): until it answers, the
// colour is unknown, and a plasmarc of the cascade changed after that start
// and after the user's plasmarc leaves it unknown as above.
class PlasmaPanel : public QObject {
    Q_OBJECT
public:
    // Reads the files now and follows them, the shell on `bus` (when
    // connected) and its palette notices.
    explicit PlasmaPanel(const QDBusConnection& bus, QObject* parent = nullptr);
    ~PlasmaPanel() override;

    // The panel's colour as the shell draws it, when known.
    std::optional<QColor> colour() const;

Q_SIGNALS:
    // colour() changed.
    void changed();

private Q_SLOTS:
    void onPaletteNotice(const QDBusMessage& message);

private:
    // What the shell has read: its style's name (none: not known) and the
    // colour scheme.
    struct ShellRead {
        std::optional<QString> name;
        QColor scheme;
    };
    // ino, size, mtime and ctime (ns) of the user's plasmarc, or none.
    using Stamp = std::optional<std::array<qint64, 4>>;
    static Stamp stampOf(const QString& path);

    // The files read again; `shellStarted`: the shell reads them all.
    void readFiles(bool shellStarted);
    void watchFiles();
    // Whether a running shell has read the cascade's plasmarc files, from
    // its process's start.
    void checkShellStart();
    void update(const std::function<void()>& change);
    void log() const;

    QDBusConnection m_bus;
    PlasmaPanelStyle m_style;
    ShellRead m_shell;
    Stamp m_userFile;
    int m_shellStarts = 0;
    QFileSystemWatcher* m_files = nullptr;
};

} // namespace gaugelet
