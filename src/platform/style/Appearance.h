#pragma once

#include <QColor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <array>
#include <optional>

namespace gaugelet {

// The desktop's light or dark appearance, for the application's windows and,
// separately, for the panel that hosts the status item.
//
// Windows: the xdg-desktop-portal setting org.freedesktop.appearance
// color-scheme (1 = prefer dark, 2 = prefer light), read at start and followed
// through its SettingChanged signal; with no portal answer (or "no
// preference"), the application palette's window lightness.
//
// Panel: GNOME Shell's top bar is dark in every colour scheme, so in a GNOME
// session (XDG_CURRENT_DESKTOP names GNOME) the panel is dark; elsewhere the
// portal's answer, else the application palette. Tiles take their colours
// from the panel, never from the application palette alone.
//
// Only two panels' shades are known for sure: GNOME's bar (always dark) and
// Plasma's panel, which follows the colour scheme its portal reports. The
// portal's answer elsewhere says what applications prefer, not what the
// panel is (a dark LXQt, Xfce or waybar bar beside a light scheme is
// common), so there the shade is a guess and tiles are drawn to read on
// either.
class Appearance : public QObject {
    Q_OBJECT
public:
    static Appearance* instance();

    // Reads and follows the portal on `bus` (the shared instance uses the
    // session bus); with a bus that is not connected, the palette only.
    explicit Appearance(const QDBusConnection& bus, QObject* parent = nullptr);

    bool isDark() const;
    bool isPanelDark() const;
    // Whether isPanelDark() is known for sure rather than guessed: in a GNOME
    // session, or in a Plasma session whose portal answered light or dark.
    bool isPanelShadeKnown() const;
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
    bool paletteIsDark() const;
    // Emits changed() when any answer differs from `before` (isDark,
    // isPanelDark, isPanelShadeKnown).
    void emitIfChanged(std::array<bool, 3> before);
    std::array<bool, 3> answers() const { return {isDark(), isPanelDark(), isPanelShadeKnown()}; }

    std::optional<bool> m_portalDark;
    std::optional<bool> m_override;
    bool m_overrideKnown = true;
};

} // namespace gaugelet
