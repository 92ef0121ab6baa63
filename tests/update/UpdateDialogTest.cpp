#include "update/UpdateDialog.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QLabel>
#include <functional>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

QStringList buttonTexts(const UpdateDialog& dialog)
{
    QStringList texts;
    for (QAbstractButton* button : dialog.buttons())
        texts << button->text();
    texts.sort();
    return texts;
}

} // namespace

TEST(UpdateDialog, EachStateHasItsTextsAndButtons)
{
    UpdateDialog dialog;
    EXPECT_EQ(dialog.state(), UpdateDialog::State::checking);
    EXPECT_EQ(dialog.windowTitle(), "Software Update");
    EXPECT_EQ(dialog.text(), "Checking for updates…");
    EXPECT_EQ(buttonTexts(dialog), QStringList{"Cancel"});

    dialog.showUpdateAvailable("2.0", "1.9", true);
    EXPECT_EQ(buttonTexts(dialog), (QStringList{"Download", "Later"}));
    EXPECT_NE(dialog.downloadButton(), nullptr);

    dialog.showUpdateAvailable("2.0", "1.9", false);
    EXPECT_EQ(dialog.informativeText(), "Gaugelet 2.0 is now available—you have 1.9.");
    EXPECT_EQ(buttonTexts(dialog), QStringList{"OK"});
    EXPECT_EQ(dialog.downloadButton(), nullptr);

    dialog.showUpToDate("1.9");
    EXPECT_EQ(dialog.informativeText(), "Gaugelet 1.9 is currently the newest version available.");

    dialog.showError("The request timed out.");
    EXPECT_EQ(dialog.text(), "Update Error!");
    EXPECT_EQ(dialog.informativeText(), "The request timed out.");
    EXPECT_EQ(buttonTexts(dialog), QStringList{"OK"});
}

TEST(UpdateDialog, EveryWayOfClosingFinishesItOnceAndOnlyDownloadCountsAsDownload)
{
    UpdateDialog dialog;
    int finished = 0;
    QObject::connect(&dialog, &QDialog::finished, [&] { ++finished; });
    dialog.showUpdateAvailable("2.0", "1.9", true);
    dialog.show();
    dialog.downloadButton()->click();
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(dialog.downloadChosen());
    EXPECT_FALSE(dialog.isVisible());

    dialog.showUpdateAvailable("2.0", "1.9", true);
    dialog.show();
    dialog.close(); // the window's close button
    EXPECT_EQ(finished, 2);
    EXPECT_FALSE(dialog.downloadChosen());

    dialog.showChecking();
    dialog.show();
    dialog.reject(); // Escape
    EXPECT_EQ(finished, 3);
    EXPECT_FALSE(dialog.downloadChosen());
}

TEST(UpdateDialog, FeedTextsAreShownAsPlainTextWithoutLinks)
{
    UpdateDialog dialog;
    dialog.showUpdateAvailable(R"(<a href="https://evil.example/">9</a>)", "1.0", false);
    EXPECT_EQ(dialog.textFormat(), Qt::PlainText);
    auto* label = dialog.findChild<QLabel*>("qt_msgbox_informativelabel");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_FALSE(label->openExternalLinks());
    EXPECT_TRUE(label->text().contains("<a href="));
}

TEST(UpdateDialog, OverlongVersionsAreCut)
{
    UpdateDialog dialog;
    dialog.showUpToDate(QString(100'000, u'9'));
    EXPECT_LT(dialog.informativeText().size(), 200);
    EXPECT_TRUE(dialog.informativeText().contains(u'…'));
}

// The dialog's states at the common desktop font sizes, light and dark, for a
// person to look at; every text stays inside the dialog.
TEST(UpdateDialog, ScreenshotsAtDesktopFontSizes)
{
    QDir().mkpath(QStringLiteral(GAUGELET_BINARY_DIR "/screenshots"));
    for (const int points : {10, 11}) {
        ScopedAppFont font(points);
        for (const bool dark : {false, true}) {
            UpdateDialog dialog;
            if (dark)
                dialog.setPalette(QPalette(QColor(58, 58, 62), QColor(40, 40, 44)));
            dialog.show();
            const struct {
                const char* name;
                std::function<void()> show;
            } states[] = {
                {"available", [&] { dialog.showUpdateAvailable("2.0", "1.9", true); }},
                {"error", [&] { dialog.showError("Couldn't reach the update server: the connection timed out."); }},
            };
            for (const auto& state : states) {
                state.show();
                spinFor(20);
                for (QLabel* label : dialog.findChildren<QLabel*>()) {
                    if (label->isVisible()) {
                        EXPECT_TRUE(dialog.rect().contains(QRect(label->mapTo(&dialog, QPoint()), label->size())))
                            << qPrintable(label->text());
                    }
                }
                const QString name = QStringLiteral("%1/screenshots/update-dialog-%2-%3-%4pt.png")
                                         .arg(GAUGELET_BINARY_DIR, state.name, dark ? "dark" : "light")
                                         .arg(points);
                EXPECT_TRUE(dialog.grab().save(name)) << qPrintable(name);
            }
        }
    }
}
