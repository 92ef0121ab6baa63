#pragma once

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QPointer>

#include <QFrame>

namespace gaugelet {

// A small info-circle button: its text is the hover help, and pressing it
// shows the text in a popup under the button (pressing again, or clicking
// anywhere else, closes it). The popup belongs to the button, so a view that
// keeps its button keeps its open popup across updates.
class InfoButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit InfoButton(const QString& tooltip, QWidget* parent = nullptr);

    const QString& tooltipText() const { return m_tooltip; }
    bool isShown() const { return m_popup && m_popup->isVisible(); }
    // The open popup, or null.
    QFrame* popup() const { return isShown() ? m_popup.data() : nullptr; }

    // Opens or closes the popup (what a press does).
    void togglePopup();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void present();

    QString m_tooltip;
    QPointer<QFrame> m_popup;
    QElapsedTimer m_closedAt;
};

} // namespace gaugelet
