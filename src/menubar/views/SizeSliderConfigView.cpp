#include "menubar/views/SizeSliderConfigView.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/core/NotificationCenter.h"
#include "schema/SettingsSchema.h"
#include "views/Spacing.h"
#include "views/ValueLabel.h"
#include "views/WheelGuard.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

QFont captionFont(const QWidget* widget)
{
    QFont font = widget->font();
    const double base = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    font.setPointSizeF(std::max(base * 10.0 / 13.0, 7.0));
    return font;
}

QString sizeText(int points)
{
    return QString::number(points) + QStringLiteral("pt");
}

} // namespace

SizeSliderConfigView::SizeSliderConfigView(const QString& visualizerId, Range range,
                                           const QString& notificationPrefix, QWidget* parent)
    : QWidget(parent)
    , m_visualizerId(visualizerId)
    , m_range(range)
    , m_notificationName(notificationPrefix + visualizerId)
    , m_size(range.defaultValue)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Spacing::px(Spacing::Step::m));

    auto* title = new QLabel(tr("Size"), this);
    title->setFont(captionFont(this));
    title->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(title, 0, Qt::AlignVCenter);

    m_slider = new QSlider(Qt::Horizontal, this);
    WheelGuard::install(m_slider);
    m_slider->setRange(int(range.minimum), int(range.maximum));
    m_slider->setSingleStep(1);
    m_slider->setPageStep(1);
    m_slider->setMaximumWidth(200);
    layout->addWidget(m_slider, 1, Qt::AlignVCenter);

    // Caption digits, 36 points wide at least, aligned trailing.
    auto* value = new ValueLabel(DesignStyle::TextStyle::caption, 36, this);
    value->setRange(int(range.minimum), int(range.maximum), sizeText);
    m_valueLabel = value;
    layout->addWidget(m_valueLabel, 0, Qt::AlignVCenter);

    connect(m_slider, &QSlider::valueChanged, this, [this](int value) { setSize(value); });
    reload();
}

void SizeSliderConfigView::reload()
{
    // The size the visualizer draws at: a stored value out of the slider's
    // range reads as the nearest size the slider can show.
    m_size = VisualizerSizeSetting::stored(m_visualizerId, m_range);
    showSize();
}

void SizeSliderConfigView::showSize()
{
    // The knob and the figure show the same whole size: a stored 22.6 reads
    // "23pt" at 23, so no two knob positions read alike.
    const QSignalBlocker blocker(m_slider);
    const int shown = int(std::lround(m_size));
    m_slider->setValue(shown);
    m_valueLabel->setText(sizeText(shown));
}

void SizeSliderConfigView::setSize(double size)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!std::isfinite(size))
        return;
    size = std::clamp(size, m_range.minimum, m_range.maximum);
    if (size == m_size)
        return;
    m_size = size;
    showSize();
    Defaults::standard()->set(SettingsSchema::visualizerSize.key(m_visualizerId), m_size);
    NotificationCenter::defaultCenter().post(m_notificationName);
}

void SizeSliderConfigView::showEvent(QShowEvent* event)
{
    reload();
    QWidget::showEvent(event);
}

} // namespace gaugelet
