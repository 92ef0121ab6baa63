#include "settings/general/AboutFigures.h"

#include "platform/style/DesignStyle.h"
#include "views/Divider.h"
#include "views/Spacing.h"
#include "views/TextLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace gaugelet {

AboutFigures::AboutFigures(const QList<std::pair<QString, QString>>& figures, QWidget* parent) : QWidget(parent)
{
    using Style = DesignStyle::TextStyle;
    using Colour = DesignStyle::Colour;
    auto* cells = new QHBoxLayout(this);
    cells->setContentsMargins(Spacing::margins(Spacing::Step::none, Spacing::Step::s));
    cells->setSpacing(0);
    for (int i = 0; i < figures.size(); ++i) {
        if (i > 0)
            cells->addWidget(Divider::vertical(30), 0, Qt::AlignVCenter);
        auto* cell = new QWidget;
        auto* stack = new QVBoxLayout(cell);
        stack->setContentsMargins(0, 0, 0, 0);
        stack->setSpacing(Spacing::px(Spacing::Step::xxs));
        QFont valueFont = DesignStyle::font(Style::title2);
        valueFont.setWeight(QFont::DemiBold);
        auto* value = TextLabel::make(figures[i].first, Style::title2, Colour::primary);
        value->setFont(DesignStyle::monospacedDigits(valueFont));
        value->setAlignment(Qt::AlignHCenter);
        value->setObjectName(QStringLiteral("figureValue%1").arg(i));
        auto* label = TextLabel::make(figures[i].second, Style::caption, Colour::primary);
        label->setAlignment(Qt::AlignHCenter);
        m_captions.append(label);
        m_values.append(value);
        stack->addWidget(value);
        stack->addWidget(label);
        cells->addWidget(cell, 1);
    }
}

} // namespace gaugelet
