#include "views/Spacing.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFont>
#include <QGridLayout>

#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

// The body size the design's spacing was drawn for: the common desktop
// default. A user who picks a larger font gets proportionally more room.
constexpr qreal kReferenceBodyPoints = 11.0;

constexpr qreal points(Spacing::Step step)
{
    switch (step) {
    case Spacing::Step::none: return 0;
    case Spacing::Step::hairline: return 1;
    case Spacing::Step::xxs: return 2;
    case Spacing::Step::xs: return 4;
    case Spacing::Step::s: return 6;
    case Spacing::Step::m: return 8;
    case Spacing::Step::ml: return 10;
    case Spacing::Step::l: return 12;
    case Spacing::Step::xl: return 14;
    case Spacing::Step::xxl: return 16;
    case Spacing::Step::xxxl: return 20;
    }
    return 0;
}

} // namespace

qreal Spacing::scale()
{
    const qreal body = QApplication::font().pointSizeF();
    if (!(body > 0))
        return 1.0;
    return std::max(1.0, body / kReferenceBodyPoints);
}

int Spacing::scaled(qreal designPoints)
{
    return int(std::lround(designPoints * scale()));
}

int Spacing::px(Step step)
{
    // A hairline stays one pixel at every font size.
    if (step == Step::hairline || step == Step::none)
        return int(points(step));
    return scaled(points(step));
}

QMargins Spacing::margins(Step all)
{
    return margins(all, all, all, all);
}

QMargins Spacing::margins(Step horizontal, Step vertical)
{
    return margins(horizontal, vertical, horizontal, vertical);
}

QMargins Spacing::margins(Step left, Step top, Step right, Step bottom)
{
    return {px(left), px(top), px(right), px(bottom)};
}

void Spacing::apply(QLayout* layout, const QMargins& margins, Step gap)
{
    layout->setContentsMargins(margins);
    layout->setSpacing(px(gap));
}

void Spacing::apply(QLayout* layout, Step margins, Step gap)
{
    apply(layout, Spacing::margins(margins), gap);
}

void Spacing::addGap(QBoxLayout* layout, Step step)
{
    layout->addSpacing(px(step));
}

void Spacing::setGaps(QGridLayout* layout, Step horizontal, Step vertical)
{
    layout->setHorizontalSpacing(px(horizontal));
    layout->setVerticalSpacing(px(vertical));
}

qreal Spacing::cornerRadius()
{
    return px(Step::m);
}

int Spacing::formRowHeight()
{
    return scaled(32);
}

} // namespace gaugelet
