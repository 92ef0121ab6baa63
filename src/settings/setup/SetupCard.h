#pragma once

#include "settings/setup/SetupChecklist.h"

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>
#include <functional>

class QBoxLayout;
class QGraphicsDropShadowEffect;
class QLabel;
class QPushButton;

namespace gaugelet {

// One row's card of the setup checklist: the illustration (while expanded),
// then the header, which is the row's tap target, and the trailing control
// (progress, the granted label, or the action's button).
class SetupCard : public QWidget {
    Q_OBJECT
public:
    SetupCard(const SetupChecklist::RowSpec& row, std::function<void()> onTap, QWidget* parent);

    // Shows the row as it is now. animate: the expansion changed by a tap or
    // the auto-expand rule.
    void apply(const SetupChecklist::RowSpec& row, bool expanded, bool animate);
    bool isExpanded() const { return m_expanded; }
    // The height the illustration takes now (0 while collapsed; between 0
    // and the checklist's hero height while it opens or closes).
    int heroShownHeight() const;
    void restyle();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildHero(QBoxLayout* column);
    void buildHeader(QBoxLayout* row, std::function<void()> onTap);
    void buildTrailing(QBoxLayout* row);
    void setUpAnimation();
    void setHeroExpanded(bool expanded, bool animate);

    QString m_id;
    std::function<QWidget*()> m_heroFactory;
    std::function<void()> m_action;
    bool m_expanded = false;
    bool m_styled = false;
    QWidget* m_heroHolder = nullptr;
    QPointer<QWidget> m_hero;
    QLabel* m_title = nullptr;
    QLabel* m_badge = nullptr;
    QLabel* m_detail = nullptr;
    QWidget* m_progress = nullptr;
    QWidget* m_granted = nullptr;
    QLabel* m_checkmark = nullptr;
    QLabel* m_grantedText = nullptr;
    QPushButton* m_button = nullptr;
    QWidget* m_border = nullptr;
    QGraphicsDropShadowEffect* m_shadow = nullptr;
    QVariantAnimation m_animation;
};

} // namespace gaugelet
