#pragma once

#include <QColor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <array>
#include <optional>

namespace gaugelet {

class PlasmaPanel;

// The desktop's light or dark appearance, for the application's windows and,
// separately, for the panel that hosts the status item.
//
// Windows: the xdg-desktop-portal setting org.freedesktop.appearance
// color-scheme (1 = prefer dark, 2 = prefer light), read at start and followed
// through its SettingChanged signal; with no portal answer (or "no
// preference"), the application palette's window lightness.
//
// Panel: tiles take their colours from the panel the items stand on, never
// from the application palette alone. Its shade is known for sure only where
// the program knows which panel shows the items (the status item tells it,
// from the process that serves the StatusNotifierWatcher) and how that panel
// is drawn:
// - GNOME Shell's top bar is dark in every colour scheme (light in the
//   GNOME Classic session, whose bar is drawn light);
// - Plasma's panel (in a Plasma session) is drawn by its Plasma style, which
//   the user picks apart from the colour scheme the portal reports: its
//   shade is that of the style's colours (PlasmaPanelStyle), as the running
//   shell draws them (PlasmaPanel: a change of the files it has not read
//   leaves it unknown); a style of a middle shade, or one whose colours are
//   its pictures', is not known.
// Elsewhere (LXQt, Xfce, waybar, or before the host is known) the portal's
// answer, else the palette, is a guess: what applications prefer, not what
// the panel is (a dark bar beside a light scheme is common), and tiles are
// drawn to read on either shade.
class Appearance : public QObject {
    Q_OBJECT
public:
    static Appearance* instance();

    // Reads and follows the portal on `bus` (the shared instance uses the
    // session bus); with a bus that is not connected, the palette only.
    explicit Appearance(const QDBusConnection& bus, QObject* parent = nullptr);

    // The program that shows the status items, as far as the panel's shade goes.
    enum class PanelHost { unknown, gnomeShell, plasma, other };

    bool isDark() const;
    bool isPanelDark() const;
    // Whether isPanelDark() is known for sure rather than guessed: GNOME
    // Shell's bar, or Plasma's panel whose style's colours are known.
    bool isPanelShadeKnown() const;
    // Set by the status item once it knows (and again when the host goes).
    void setPanelHost(PanelHost host);
    PanelHost panelHost() const { return m_panelHost; }
    // The portal's answer, when it gave one other than "no preference".
    std::optional<bool> portalDark() const { return m_portalDark; }

    // The panel background a tile is assumed to stand on: a mid-dark grey for
    // dark panels and a light grey for light ones (the lighter of the common
    // dark panels and the darker of the common light ones, so colours that
    // read on these read on the real ones).
    static QColor assumedPanelBackground(bool dark);
    // A session whose XDG_CURRENT_DESKTOP lists GNOME (case-insensitive).
    static bool isGnomeSession();
    // A session whose XDG_CURRENT_DESKTOP lists KDE (Plasma's name there).
    static bool isPlasmaSession();
    // The shade of a panel of this colour, when it is clearly dark or light:
    // at most as light as the dark assumed background, or at least as light
    // as the light one.
    static std::optional<bool> shadeOf(const QColor& panel);

    // Test seam: a fixed answer for both, the panel's shade known or only
    // guessed; nullopt returns to the real sources.
    void setOverrideForTesting(std::optional<bool> dark, bool panelShadeKnown = true);

Q_SIGNALS:
    // Either appearance may have changed.
    void changed();

private Q_SLOTS:
    void onSettingChanged(const QDBusMessage& message);

private:
    void applyPortalValue(uint scheme);
    // The panel's shade where the host's is known for sure.
    std::optional<bool> knownPanelDark() const;
    // Follows Plasma's panel (`follow`), or stops.
    void followPlasma(bool follow);
    bool paletteIsDark() const;
    // Emits changed() when any answer differs from `before` (isDark,
    // isPanelDark, isPanelShadeKnown).
    void emitIfChanged(std::array<bool, 3> before);
    std::array<bool, 3> answers() const { return {isDark(), isPanelDark(), isPanelShadeKnown()}; }

    std::optional<bool> m_portalDark;
    PanelHost m_panelHost = PanelHost::unknown;
    QDBusConnection m_bus;
    PlasmaPanel* m_plasma = nullptr;
    std::optional<bool> m_plasmaShade; // of m_plasma's colour
    std::optional<bool> m_override;
    bool m_overrideKnown = true;
};

} // namespace gaugelet
