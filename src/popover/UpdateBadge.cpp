#include "popover/UpdateBadge.h"

#include "platform/style/DesignStyle.h"
#include "platform/style/SystemSymbol.h"

#include <QPainter>
#include <QPainterPath>

namespace gaugelet {

namespace {
constexpr int kSpacing = 4;
constexpr QMargins kInset(8, 3, 8, 3);
} // namespace

UpdateBadge::UpdateBadge(QWidget* parent)
    : QAbstractButton(parent)
{
    QFont font = DesignStyle::font(DesignStyle::TextStyle::caption);
    font.setWeight(QFont::Medium);
    setFont(font);
    setCursor(Qt::PointingHandCursor);
    setToolTip(tr("A new version is available. Click to see the update."));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setText(title(std::nullopt));
}

QString UpdateBadge::title(const std::optional<QString>& latestVersion)
{
    if (latestVersion)
        return tr("Update %1").arg(*latestVersion);
    return tr("Update available");
}

void UpdateBadge::setLatestVersion(const std::optional<QString>& latestVersion)
{
    const QString t = title(latestVersion);
    if (t == text())
        return;
    setText(t);
    updateGeometry();
    update();
}

QSize UpdateBadge::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    const int side = fm.height();
    return QSize(side + kSpacing + fm.horizontalAdvance(text()) + kInset.left() + kInset.right(),
                 side + kInset.top() + kInset.bottom());
}

void UpdateBadge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QColor accent = DesignStyle::colour(DesignStyle::Colour::accent, this);
    QColor fill = accent;
    fill.setAlphaF(isDown() ? 0.3f : 0.18f);
    const QRectF r = QRectF(rect());
    QPainterPath capsule;
    capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
    p.fillPath(capsule, fill);

    const QRect inner = rect().marginsRemoved(kInset);
    const int side = fontMetrics().height();
    const qreal dpr = devicePixelRatioF();
    const QImage symbol = SystemSymbol::tinted(QStringLiteral("arrow.down.circle.fill"), side, accent, dpr);
    if (!symbol.isNull()) {
        p.drawImage(QRectF(inner.left(), inner.top() + (inner.height() - side) / 2.0, side, side), symbol);
    }
    p.setPen(accent);
    p.drawText(inner.adjusted(side + kSpacing, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, text());
}

} // namespace gaugelet
