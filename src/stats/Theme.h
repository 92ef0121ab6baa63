#pragma once

#include "platform/core/RawValueTable.h"

namespace gaugelet {

// The menu bar's appearance (not the chosen palette): the panel's shade, and
// whether that shade is known for sure or only guessed. A guessed shade
// draws for the guess, with a contour of the opposite lightness around text
// and lines, so a tile reads on a panel of either shade.
enum class Theme { light, dark, guessedLight, guessedDark };

constexpr auto rawValueTable(Theme)
{
    using enum Theme;
    return makeRawValueTable<Theme>(
        {{light, u"light"}, {dark, u"dark"}, {guessedLight, u"guessedLight"}, {guessedDark, u"guessedDark"}}, light);
}
inline std::optional<Theme> themeFromRaw(QStringView raw)
{
    return enumFromRaw<Theme>(raw);
}

// Drawn for a dark panel (known or guessed).
constexpr bool isDark(Theme theme)
{
    return theme == Theme::dark || theme == Theme::guessedDark;
}

// The panel's shade is a guess: text and lines carry a contour.
constexpr bool isShadeGuessed(Theme theme)
{
    return theme == Theme::guessedLight || theme == Theme::guessedDark;
}

// The theme of a panel of a shade, known for sure or guessed.
constexpr Theme panelTheme(bool dark, bool known)
{
    if (known)
        return dark ? Theme::dark : Theme::light;
    return dark ? Theme::guessedDark : Theme::guessedLight;
}

// The theme of the panel the status item stands on (Appearance::isPanelDark
// and isPanelShadeKnown); without an application, light.
Theme currentTheme();

} // namespace gaugelet
