#pragma once

#include "platform/core/RawValueTable.h"

namespace gaugelet {

// The menu bar's appearance (not the chosen palette).
enum class Theme { light, dark };

constexpr auto rawValueTable(Theme)
{
    using enum Theme;
    return makeRawValueTable<Theme>({{light, u"light"}, {dark, u"dark"}}, light);
}
inline std::optional<Theme> themeFromRaw(QStringView raw)
{
    return enumFromRaw<Theme>(raw);
}

// The theme of the panel the status item stands on (Appearance::isPanelDark):
// dark gives dark; light, unknown or no application gives light.
Theme currentTheme();

} // namespace gaugelet
