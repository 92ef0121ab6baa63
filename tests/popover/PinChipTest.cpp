#include "popover/PinChip.h"

#include "menubar/NumberLabelVisualizer.h"
#include "menubar/SparklineVisualizer.h"
#include "platform/style/DesignStyle.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QPalette>
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

// A pinned chip stands apart from an unpinned one at 3:1 at least, on the
// light and the dark popover: its edge wears the accent.
TEST(PinChip, PinnedReadsApartFromUnpinnedLightAndDark)
{
    struct Look {
        const char* name;
        QColor window, text, accent;
    };
    const Look looks[] = {
        {"light", QColor(0xec, 0xec, 0xec), Qt::black, QColor(0, 122, 255)},
        {"dark", QColor(40, 40, 44), QColor(235, 235, 240), QColor(10, 132, 255)},
        {"dark, deep accent", QColor(0x35, 0x35, 0x35), QColor(0xee, 0xee, 0xee), QColor(0x1b, 0x4f, 0x9c)},
    };
    for (const Look& look : looks) {
        QPalette palette;
        palette.setColor(QPalette::Window, look.window);
        palette.setColor(QPalette::Base, look.window);
        palette.setColor(QPalette::WindowText, look.text);
        palette.setColor(QPalette::Text, look.text);
        palette.setColor(QPalette::Highlight, look.accent);
        const auto edge = [&](bool pinned) {
            PinChip chip(std::make_shared<SparklineVisualizer>(QStringLiteral("viz.test"), QStringLiteral("Spark")),
                         QStringLiteral("cpu.total"), Theme::dark);
            chip.setPalette(palette);
            chip.setPinned(pinned);
            chip.resize(chip.sizeHint());
            QImage image(chip.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(look.window);
            chip.render(&image, {}, {}, QWidget::DrawChildren);
            return image.pixelColor(image.width() / 2, 0); // the capsule's top edge
        };
        EXPECT_GE(DesignStyle::contrastRatio(edge(true), edge(false)), 3.0) << look.name;
    }
}

// The "%" keeps all of its ink inside the padding, which grows with the font.
TEST(PinChip, TheLabelsInkFitsInsideThePaddingAtEveryFontSize)
{
    for (const int points : {11, 14, 18}) {
        SCOPED_TRACE(points);
        test::ScopedAppFont font(points);
        PinChip chip(std::make_shared<NumberLabelVisualizer>(), QStringLiteral("cpu.total"), Theme::dark);
        const QSize inner = chip.sizeHint().shrunkBy(PinChip::padding());
        const QRect ink = chip.fontMetrics().boundingRect(chip.previewLabel());
        EXPECT_GE(inner.width(), ink.width());
        EXPECT_GE(inner.height(), chip.fontMetrics().height());
    }
}
