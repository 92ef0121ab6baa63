#pragma once

#include <QScrollArea>

namespace gaugelet {

// The scroll area of a page of a window (a settings tab, the alarms pane):
// borderless, scrolling vertically only, its content as wide as the page,
// and showing the window's own background rather than a content background.
// Note that QScrollArea::setWidget turns the content's background filling on.
class PageScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit PageScrollArea(QWidget* parent = nullptr);
};

} // namespace gaugelet
