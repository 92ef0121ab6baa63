#pragma once

#include <QScrollArea>

namespace gaugelet {

// The scroll area of a page of a window (a settings tab, the alarms pane):
// borderless, scrolling vertically only, its content as wide as the page,
// and showing the window's own background rather than a content background.
class PageScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit PageScrollArea(QWidget* parent = nullptr);

    // Scrolls over `content`, which fills no background of its own either
    // (QScrollArea::setWidget alone turns its filling on).
    void setPage(QWidget* content);
};

} // namespace gaugelet
