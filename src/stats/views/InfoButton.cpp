#include "stats/views/InfoButton.h"

#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "platform/style/SystemSymbol.h"
#include "views/Spacing.h"
#include "views/ToolTip.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>

namespace gaugelet {

namespace {
constexpr qreal kSymbolPoints = 10;
constexpr int kPopupTextWidth = 280;
// A press on the button that closed the popup (as an outside click) must not
// open it again at once.
constexpr qint64 kReopenGuardMs = 250;

int symbolSide()
{
    return int(std::ceil(QFontMetricsF(DesignStyle::systemFont(kSymbolPoints)).height()));
}
} // namespace

InfoButton::InfoButton(const QString& tooltip, QWidget* parent) : QAbstractButton(parent), m_tooltip(tooltip)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    setToolTip(ToolTip::fromPlainText(tooltip));
    setAccessibleName(tr("Info"));
    setAccessibleDescription(tooltip);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, &InfoButton::togglePopup);
}

QSize InfoButton::sizeHint() const
{
    const int side = symbolSide();
    return {side, side};
}

void InfoButton::togglePopup()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (isShown()) {
        m_popup->close();
        return;
    }
    if (m_closedAt.isValid() && m_closedAt.elapsed() < kReopenGuardMs && underMouse())
        return;
    present();
}

void InfoButton::present()
{
    if (!m_popup) {
        m_popup = new QFrame(this, Qt::Popup | Qt::FramelessWindowHint);
        m_popup->setObjectName(QStringLiteral("InfoButtonPopup"));
        m_popup->setFrameShape(QFrame::StyledPanel);
        auto* layout = new QVBoxLayout(m_popup);
        layout->setContentsMargins(Spacing::margins(Spacing::Step::ml));
        auto* label = new QLabel(m_tooltip, m_popup);
        label->setObjectName(QStringLiteral("text"));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setFont(DesignStyle::font(DesignStyle::TextStyle::caption));
        // Wrap at 280 points at most, taking the full wrapped height.
        const int natural = QFontMetrics(label->font()).horizontalAdvance(m_tooltip);
        label->setFixedWidth(std::min(natural + 2, kPopupTextWidth));
        label->setFixedHeight(label->heightForWidth(label->width()));
        layout->addWidget(label);
        m_popup->installEventFilter(this);
    }
    m_popup->adjustSize();
    // Under the button, kept on the button's screen.
    QPoint at = mapToGlobal(QPoint(width() / 2 - m_popup->width() / 2, height() + 4));
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - m_popup->width() + 1)));
        if (at.y() + m_popup->height() > area.bottom() + 1)
            at.setY(mapToGlobal(QPoint(0, 0)).y() - m_popup->height() - 4);
        at.setY(std::max(at.y(), area.top()));
    }
    m_popup->move(at);
    m_popup->show();
    update();
}

bool InfoButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_popup && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_popup->close();
        return true;
    }
    if (watched == m_popup && event->type() == QEvent::Hide) {
        m_closedAt.start();
        update();
    }
    return QAbstractButton::eventFilter(watched, event);
}

void InfoButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal dpr = devicePixelRatioF();
    const int side = std::min(width(), height());
    // The template tinted in the secondary style.
    const QImage symbol = SystemSymbol::tinted(QStringLiteral("info.circle"), side,
                                               DesignStyle::colour(DesignStyle::Colour::secondary, this), dpr);
    if (symbol.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side), symbol);
}

} // namespace gaugelet
