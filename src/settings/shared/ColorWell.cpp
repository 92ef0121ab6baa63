#include "settings/shared/ColorWell.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/style/DesignStyle.h"

#include <QColorDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace gaugelet {

ColorWell::ColorWell(const QString& title, QWidget* parent) : TitledControl(title, parent)
{
    m_swatch = new QToolButton(this);
    m_swatch->setFixedSize(44, 22);
    m_swatch->setIconSize(QSize(36, 14));
    m_swatch->setAccessibleName(title);
    row()->addWidget(m_swatch);
    connect(m_swatch, &QToolButton::clicked, this, &ColorWell::openPanel);
    paintSwatch();
}

void ColorWell::setColor(const QColor& color)
{
    if (assignIfChanged(m_color, color))
        paintSwatch();
}

void ColorWell::openPanel()
{
    if (m_panel) {
        m_panel->raise();
        m_panel->activateWindow();
        return;
    }
    auto* panel = new QColorDialog(m_color, this);
    panel->setOption(QColorDialog::ShowAlphaChannel);
    panel->setOption(QColorDialog::DontUseNativeDialog);
    panel->setWindowTitle(titleLabel()->text());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    connect(panel, &QColorDialog::colorSelected, this, [this](const QColor& picked) {
        if (!picked.isValid())
            return;
        setColor(picked);
        Q_EMIT colorPicked(picked);
    });
    m_panel = panel;
    panel->open();
}

void ColorWell::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        paintSwatch();
    QWidget::changeEvent(event);
}

void ColorWell::paintSwatch()
{
    const qreal dpr = devicePixelRatioF();
    const QSize size = m_swatch->iconSize();
    QPixmap pixmap(size * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5);
    // A checkerboard under the colour, so opacity shows.
    p.save();
    QPainterPath clip;
    clip.addRoundedRect(r, 3, 3);
    p.setClipPath(clip);
    p.fillRect(r, Qt::white);
    for (int y = 0; y < size.height(); y += 5) {
        for (int x = (y / 5) % 2 * 5; x < size.width(); x += 10)
            p.fillRect(QRectF(x, y, 5, 5), QColor(204, 204, 204));
    }
    QColor shown = m_color;
    if (!isEnabled())
        shown.setAlphaF(shown.alphaF() * 0.4);
    p.fillRect(r, shown);
    p.restore();
    p.setPen(QPen(DesignStyle::colour(DesignStyle::Colour::tertiary, this), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 3, 3);
    p.end();
    m_swatch->setIcon(QIcon(pixmap));
}

} // namespace gaugelet
