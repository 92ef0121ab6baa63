#pragma once

#include <QObject>
#include <QDBusVariant>
#include <optional>

namespace gaugelet {

// The desktop's light or dark appearance: the xdg-desktop-portal setting
// org.freedesktop.appearance color-scheme (1 = prefer dark, 2 = prefer light),
// followed through its SettingChanged signal; with no portal answer (or "no
// preference"), the application palette's window lightness.
class Appearance : public QObject {
    Q_OBJECT
public:
    static Appearance* instance();

    bool isDark() const;

    // Test seam: a fixed answer; nullopt returns to the real sources.
    void setOverrideForTesting(std::optional<bool> dark);

Q_SIGNALS:
    void changed();

private Q_SLOTS:
    void onSettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    explicit Appearance(QObject* parent = nullptr);
    void applyPortalValue(uint scheme);
    bool paletteIsDark() const;

    std::optional<bool> m_portalDark;
    std::optional<bool> m_override;
};

} // namespace gaugelet
