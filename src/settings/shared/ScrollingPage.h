#pragma once

class QScrollArea;
class QWidget;

namespace gaugelet {

// Fills a settings tab with a borderless scroll area that scrolls vertically
// only, over `content`, and lets the tab's background show around it.
// Note that QScrollArea::setWidget turns the content's background filling on.
QScrollArea* addScrollingPage(QWidget* tab, QWidget* content);

} // namespace gaugelet
