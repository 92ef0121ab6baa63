#pragma once

#include "platform/core/RawValueTable.h"

#include <QHashFunctions>

namespace gaugelet {

// The menu bar's appearance (not the chosen palette).
enum class Theme { light, dark };

constexpr auto rawValueTable(Theme)
{
    return makeRawValueTable<Theme>({{Theme::light, u"light"}, {Theme::dark, u"dark"}}, Theme::light);
}
inline constexpr auto themeFromRaw = enumFromRaw<Theme>;

// The theme of the panel the status item stands on (Appearance::isPanelDark):
// dark gives dark; light, unknown or no application gives light.
Theme currentTheme();

inline size_t qHash(Theme theme, size_t seed = 0) { return QT_PREPEND_NAMESPACE(qHash)(static_cast<int>(theme), seed); }

} // namespace gaugelet
