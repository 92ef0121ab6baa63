#pragma once

#include "platform/style/Appearance.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace gaugelet {

// The host that serves the StatusNotifierWatcher, told from its process's
// command line, and what it asks of our items. Hosts pick among several
// pictures in ways of their own and resample the one they pick to their
// slot: Xfce's status tray and waybar take the largest; GNOME's extension the
// smallest at least as wide and as tall as its slot; LXQt's panel (QIcon) the
// smallest by area at least the slot's area, so a tile narrower than high
// gets a taller picture shrunk. Offered one picture of its slot's height,
// every host shows it as it is (one smaller than the slot, Xfce and LXQt at
// scale 1 show unscaled, GNOME and waybar scale up): so the items offer only
// the picture of the host's slot height at the screen's scale (HostSlotSize
// reads it from the host's settings), and a host we do not know gets the
// three common heights.
//
// Hosts place the items in an order of their own:
// - most hosts (LXQt, waybar) append items in the order they register;
// - GNOME Shell's AppIndicator extension and Xfce's status tray show the
//   newest first;
// - Plasma sorts by category, then title: titles begin with the position.
// GNOME's extension drops an item without a Menu property and never draws one
// whose Menu is "/NO_DBUSMENU": there the items publish a menu path with no
// menu behind it, and answer Activate as that extension needs
// (SniItemMenuAdaptor); elsewhere none (a Menu costs the right click).
class StatusAreaHost {
public:
    enum class Kind {
        other,      // shows the items in the order they registered
        xfce,       // Xfce's status tray: newest first, then its list of Ids
        gnomeShell, // GNOME Shell's AppIndicator extension: newest first, needs a Menu
        plasma,     // Plasma (the watcher in kded): by category, then title
        lxqt,       // LXQt's panel: in the order they registered
        waybar,     // waybar's tray: in the order they registered
    };

    // A host not known, slots of unknown height.
    StatusAreaHost() = default;
    // A host of that kind whose slots are `slotHeight` high (0: unknown).
    explicit StatusAreaHost(Kind kind, int slotHeight = 0) : m_kind(kind), m_slotHeight(slotHeight) { }

    // The host whose process runs this command line (NUL-separated) in this
    // working folder (empty: not known), its slot height read from the
    // settings it reads.
    static StatusAreaHost fromCommandLine(const QByteArray& commandLine, const QString& workingFolder = {});
    // The command line and the working folder of the process `pid`; empty
    // where they cannot be read.
    static QByteArray commandLineOf(uint pid);
    static QString workingFolderOf(uint pid);

    Kind kind() const { return m_kind; }
    const char* name() const;
    // The height in pixels at scale 1 of the host's slots; 0 when unknown.
    int slotHeight() const { return m_slotHeight; }
    // The slots' height once the host's settings changed.
    void setSlotHeight(int height) { m_slotHeight = height; }
    // The file the slot height is read from (empty for none), and that
    // height as the file says now.
    QString settingsFile() const { return m_settingsFile; }
    int readSlotHeight() const;
    // Whether the host shows the newest item first (leftmost).
    bool showsNewestFirst() const;
    // The picture heights items offer on a screen of `scale`: the tallest
    // height tiles are drawn for that fits the slot, so no host resamples
    // it; 16, 22 and 24 (at the scale) for a host not known.
    QList<int> offeredPixelSizes(double scale) const;
    // The Menu object path items publish; empty for none.
    QString menuPath() const;
    // The Id of the item in the row's `position`: the position, zero-padded,
    // so that hosts that sort by Id keep the row's order; "gaugelet" on Xfce
    // (where every Id seen once keeps a place of its own in its list).
    QString itemId(int position) const;
    // The title of the item in the row's `position` that shows `name`: the
    // name, or the program's name without one; on Plasma after the position,
    // zero-padded, so that the titles sort in the row's order.
    QString itemTitle(int position, const QString& name) const;
    // The panel whose shade the tiles may take as known: GNOME Shell's or
    // Plasma's.
    Appearance::PanelHost panelHost() const;

    bool operator==(const StatusAreaHost&) const = default;

private:
    Kind m_kind = Kind::other;
    int m_slotHeight = 0;
    QString m_settingsFile;
};

} // namespace gaugelet
