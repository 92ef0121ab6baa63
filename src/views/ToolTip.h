#pragma once

#include <QString>

class QWidget;

namespace gaugelet {

// The one way a view sets hover help: the text is plain text (the program's
// own or data), escaped so nothing in it is ever read as markup, with its line
// breaks kept, inside a rich-text block so long help wraps instead of running
// off the screen.
class ToolTip {
public:
    static QString fromPlainText(const QString& text);
    static void set(QWidget* widget, const QString& text);
};

} // namespace gaugelet
