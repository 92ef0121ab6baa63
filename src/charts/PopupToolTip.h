#pragma once

#include <QString>

namespace gaugelet {

// Hover help from plain text: escaped (so no text is ever read as markup) and
// wrapped as rich text, so long explanations wrap instead of running off the
// screen; line breaks are kept.
class PopupToolTip {
public:
    static QString fromPlainText(const QString& text);
};

} // namespace gaugelet
