#pragma once

class QScrollArea;
class QVBoxLayout;
class QWidget;

namespace gaugelet {

// Fills a settings tab with a borderless scroll area that scrolls vertically
// only, over `content`, and lets the tab's background show through the
// scroll area and the content (neither fills its background).
QScrollArea* addScrollingPage(QWidget* tab, QWidget* content);

// Fills a settings tab of grouped sections with a scrolling page of them and
// returns the page's column: the sections go in (made with the column's
// widget as parent), a stretch after the last.
QVBoxLayout* addSectionsPage(QWidget* tab);

} // namespace gaugelet
