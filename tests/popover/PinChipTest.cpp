#include "popover/PinChip.h"

#include "menubar/SparklineVisualizer.h"

#include <QTextDocument>
#include <gtest/gtest.h>

using namespace gaugelet;

// The tooltip shows the visualizer's name as it stands, whatever it holds.
TEST(PinChip, ToolTipShowsTheNameAsItStands)
{
    for (const QString& name : {QStringLiteral("Fox & Hare"), QStringLiteral("<b>Bold</b> fox")}) {
        PinChip chip(std::make_shared<SparklineVisualizer>(QStringLiteral("viz.test"), name), QStringLiteral("cpu.total"),
                     Theme::dark);
        // As a tooltip label shows it: markup when it looks like markup, else the text itself.
        const QString tip = chip.toolTip();
        QString shown = tip;
        if (Qt::mightBeRichText(tip)) {
            QTextDocument doc;
            doc.setHtml(tip);
            shown = doc.toPlainText();
        }
        EXPECT_EQ(shown.toStdString(), name.toStdString());
    }
}
