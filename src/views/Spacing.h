#pragma once

#include <QMargins>

class QBoxLayout;
class QGridLayout;
class QLayout;

namespace gaugelet {

// The design's spacing scale: every margin, padding and gap of a view is one
// of these named steps, never a number of its own. A step is in design
// points; it grows with the user's font (an application font larger than the
// reference body size scales every step by the same ratio) and never shrinks
// below the design's value.
class Spacing {
public:
    enum class Step {
        none,     // 0
        hairline, // 1: a separator's strip
        xxs,      // 2: a caption under its value, a row's vertical edge
        xs,       // 4: a symbol beside its text, a header's indent
        s,        // 6: a header above its panel, items of one line
        m,        // 8: controls of a row, rows of a compact section
        ml,       // 10: a section panel's row padding, a popover's blocks
        l,        // 12: a form's side margins, columns of a row
        xl,       // 14: the popover's padding, its columns apart
        xxl,      // 16: a window's content margins, sections apart
        xxxl,     // 20: a dialog's margins
    };

    // The step in device-independent pixels at the application font.
    static int px(Step step);
    // A design size in points, scaled like the steps.
    static int scaled(qreal designPoints);
    // The ratio the steps are scaled by (1 at or below the reference font).
    static qreal scale();

    static QMargins margins(Step all);
    static QMargins margins(Step horizontal, Step vertical);
    static QMargins margins(Step left, Step top, Step right, Step bottom);
    // Margins on one edge only, or on the top and bottom.
    static QMargins top(Step step) { return margins(Step::none, step, Step::none, Step::none); }
    static QMargins bottom(Step step) { return margins(Step::none, Step::none, Step::none, step); }
    static QMargins leading(Step step) { return margins(step, Step::none, Step::none, Step::none); }
    static QMargins trailing(Step step) { return margins(Step::none, Step::none, step, Step::none); }
    static QMargins vertical(Step top, Step bottom) { return margins(Step::none, top, Step::none, bottom); }

    // A layout's margins and gap in one call.
    static void apply(QLayout* layout, const QMargins& margins, Step gap);
    static void apply(QLayout* layout, Step margins, Step gap);
    // A fixed gap of a step in a box layout.
    static void addGap(QBoxLayout* layout, Step step);
    static void setGaps(QGridLayout* layout, Step horizontal, Step vertical);

    // The corner radius of a section panel, a card or a block.
    static qreal cornerRadius();
    // The minimum height of a form row with a control.
    static int formRowHeight();
};

} // namespace gaugelet
