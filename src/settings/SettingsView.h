#pragma once

#include "settings/general/GeneralTab.h"
#include "views/ViewEnvironment.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QTabWidget;

namespace gaugelet {

// The settings window's content: six tabs in a fixed order (General, Stats,
// Alarms, Themes, Setup, Store), always opening on General, one size whichever
// tab is shown. It asks for 540 × 520 points at most desktop font sizes, more
// where the font needs it so that every tab title shows in full, and can be
// made smaller: every page scrolls, and the tab bar scrolls its tabs when it
// is narrower than them. A tab's content is built when the tab is first
// shown; the Alarms pane lives only while its tab is shown. Main thread.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    // The smallest size, and the one at the design's font size.
    static constexpr int smallestWidth = 540;
    static constexpr int smallestHeight = 520;

    struct TabInfo {
        QString title;
        QString symbol;
    };
    // The six tabs' titles and symbol names, in order.
    static QList<TabInfo> tabs();

    explicit SettingsView(const ViewEnvironment& env, QWidget* parent = nullptr);

    QTabWidget* tabWidget() const { return m_tabs; }
    // The General tab (built with the view).
    GeneralTab* generalTab() const { return m_general; }
    // The content of tab index, or null while it is not built.
    QWidget* tabContent(int index) const;
    // The size for the current font: wide enough for the whole tab bar and
    // taller in step with the font, never below 540 × 520.
    QSize contentSize() const;
    // The size asked for: contentSize().
    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void showTab(int index);
    QWidget* buildTab(int index, QWidget* parent);
    void refreshIcons();

    ViewEnvironment m_env;
    QTabWidget* m_tabs = nullptr;
    QPointer<GeneralTab> m_general;
    QList<QPointer<QWidget>> m_contents;
    int m_current = -1;
};

} // namespace gaugelet
