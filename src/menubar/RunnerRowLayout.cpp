#include "menubar/RunnerRowLayout.h"

#include <algorithm>

namespace gaugelet {

double RunnerRowLayout::labelX(double core, double labelWidth, const AnimatedTagSpec& spec)
{
    const double lw = labelWidth;
    if (spec.orientation == TagOrientation::horizontal) {
        switch (spec.position) {
        case TagPosition::leading:
            return 0;
        case TagPosition::trailing:
            return core - lw;
        case TagPosition::behind:
            return (core - lw) / 2;
        }
    }
    switch (spec.position) {
    case TagPosition::leading:
        return spec.yOffset - verticalLabelGap - lw;
    case TagPosition::trailing:
        return core + verticalLabelGap + spec.yOffset;
    case TagPosition::behind:
        return spec.yOffset + (core - lw) / 2;
    }
    return 0;
}

RunnerRowLayout::SlotWidth RunnerRowLayout::slotWidth(double s, const std::optional<Label>& tag,
                                                      const std::optional<Label>& value)
{
    double core = std::max(0.0, s);
    for (const auto* label : {&tag, &value}) {
        if (*label && (*label)->spec.orientation == TagOrientation::horizontal)
            core = std::max(core, (*label)->width);
    }
    double left = 0;
    double right = core;
    for (const auto* label : {&tag, &value}) {
        if (!*label)
            continue;
        const double start = labelX(core, (*label)->width, (*label)->spec);
        left = std::min(left, start);
        right = std::max(right, start + (*label)->width);
    }
    return SlotWidth{right - left, -left, core};
}

RunnerRowLayout::SpriteBand RunnerRowLayout::spriteBand(double h, const std::optional<EdgeLabel>& tag,
                                                        const std::optional<EdgeLabel>& value)
{
    const auto between = [h](std::initializer_list<const std::optional<EdgeLabel>*> labels) {
        double top = 0;
        double bottom = h;
        for (const auto* label : labels) {
            if (!*label)
                continue;
            if ((*label)->top)
                top = std::max(top, (*label)->limit);
            else
                bottom = std::min(bottom, (*label)->limit);
        }
        std::optional<std::pair<double, double>> band;
        if (!(top == 0 && bottom == h) && bottom - top >= minimumSpriteShare * h)
            band = std::pair{top, bottom};
        return band;
    };
    const auto both = between({&tag, &value});
    if (tag && value && !both)
        return {between({&value}), false};
    return {both, true};
}

RunnerRowLayout::Fit RunnerRowLayout::fit(double budget, const QStringList& ids,
                                          const std::function<double(const QString&)>& slotWidthOf)
{
    Fit result;
    if (ids.size() < 2) {
        result.fitting = ids;
        return result;
    }
    double running = 0;
    qsizetype count = ids.size();
    for (qsizetype i = 0; i < ids.size(); ++i) {
        running += slotWidthOf(ids.at(i)) + (i > 0 ? slotGap : 0);
        const double test = running + (i != ids.size() - 1 ? chipReserve : 0);
        if (budget < test) {
            count = i;
            break;
        }
    }
    count = std::clamp<qsizetype>(count, 1, ids.size());
    result.fitting = ids.mid(0, count);
    result.overflow = int(ids.size() - count);
    return result;
}

} // namespace gaugelet
