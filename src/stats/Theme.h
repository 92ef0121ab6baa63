#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>
#include <optional>

namespace gaugelet {

// The menu bar's appearance (not the chosen palette).
enum class Theme { light, dark };

QString rawValue(Theme theme);
std::optional<Theme> themeFromRaw(QStringView raw);

// The theme of the panel the status item stands on (Appearance::isPanelDark):
// dark gives dark; light, unknown or no application gives light.
Theme currentTheme();

inline size_t qHash(Theme theme, size_t seed = 0) { return QT_PREPEND_NAMESPACE(qHash)(static_cast<int>(theme), seed); }

} // namespace gaugelet
