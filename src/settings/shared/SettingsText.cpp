#include "settings/shared/SettingsText.h"

#include "views/WheelGuard.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace gaugelet::SettingsText {

QFont designFont(qreal designPoints)
{
    const qreal body = DesignStyle::font(DesignStyle::TextStyle::body).pointSizeF();
    return DesignStyle::font(DesignStyle::TextStyle::body,
                             designPoints * body / DesignStyle::designPointSize(DesignStyle::TextStyle::body));
}

qint64 wholeNumber(double value, double low, double high, double fallback)
{
    if (std::isnan(value))
        value = fallback;
    // 2^63 is exact as a double; anything at or beyond it has no 64-bit form.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit || value < -limit || std::isinf(value))
        value = value > 0 ? high : low;
    return static_cast<qint64>(std::trunc(value));
}

QString pointsText(double value, double low, double high, double fallback)
{
    // Rounded as the slider's knob is placed, so no two knob positions read alike.
    return QString::number(wholeNumber(std::round(value), low, high, fallback)) + QStringLiteral("pt");
}

QString wholePoints(int points)
{
    return QString::number(points) + QStringLiteral("pt");
}

int sliderPosition(double value, int low, int high, int fallback)
{
    if (std::isnan(value))
        return fallback;
    const double clamped = std::clamp(value, double(low), double(high));
    return static_cast<int>(std::lround(clamped));
}

void paintBlockBackground(QWidget* widget)
{
    QPainter p(widget);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(DesignStyle::colour(DesignStyle::Colour::separator, widget), 0.5));
    p.setBrush(DesignStyle::colour(DesignStyle::Colour::controlBackground, widget));
    p.drawRoundedRect(QRectF(widget->rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

int compareCodePoints(const QString& a, const QString& b)
{
    const QList<uint> ua = a.toUcs4();
    const QList<uint> ub = b.toUcs4();
    const qsizetype n = std::min(ua.size(), ub.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (ua[i] != ub[i])
            return ua[i] < ub[i] ? -1 : 1;
    }
    return ua.size() == ub.size() ? 0 : (ua.size() < ub.size() ? -1 : 1);
}

QSlider* stepSlider(int low, int high, QWidget* parent)
{
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setRange(low, high);
    s->setSingleStep(1);
    s->setPageStep(1);
    s->setTracking(true);
    WheelGuard::install(s);
    return s;
}

void showSliderPosition(QSlider* slider, int position)
{
    if (slider->isSliderDown())
        return;
    const QSignalBlocker blocker(slider);
    slider->setValue(position);
}

QPushButton* addTrailingButton(const QString& text, QBoxLayout* column, QWidget* parent)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* button = new QPushButton(text, parent);
    button->setFont(DesignStyle::font(DesignStyle::TextStyle::callout));
    row->addWidget(button);
    column->addLayout(row);
    return button;
}

} // namespace gaugelet::SettingsText
