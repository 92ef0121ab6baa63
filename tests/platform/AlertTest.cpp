#include "platform/windows/Alert.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

// Runs the alert and, once it shows, lets the test act on the box.
int runWith(const Alert& alert, std::function<void(QMessageBox*)> act, QStringList* shownButtons = nullptr)
{
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible())
                continue;
            poll.stop();
            if (shownButtons) {
                // Left to right, as shown.
                QList<QPushButton*> buttons = box->findChildren<QPushButton*>();
                std::sort(buttons.begin(), buttons.end(),
                          [](QPushButton* a, QPushButton* b) { return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x(); });
                for (QPushButton* b : buttons)
                    *shownButtons << b->text();
            }
            act(box);
            return;
        }
    });
    poll.start();
    return alert.runModal();
}

} // namespace

TEST(Alert, ButtonsKeepTheirOrderAndEscapeOrClosingChoosesTheLast)
{
    const Alert alert{QStringLiteral("Gaugelet needs to update"), QStringLiteral("Body"),
                      {QStringLiteral("Update…"), QStringLiteral("Open"), QStringLiteral("Quit")}};
    QStringList shown;
    const int second = runWith(alert, [](QMessageBox* box) {
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == QLatin1String("Open"))
                b->click();
        }
    }, &shown);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(shown, alert.buttons);

    EXPECT_EQ(runWith(alert, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }), 2);
    EXPECT_EQ(runWith(alert, [](QMessageBox* box) { box->close(); }), 2);
    EXPECT_EQ(runWith(alert, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }), 0)
        << "the first button is the default";
    EXPECT_EQ(runWith(alert, [](QMessageBox* box) {
                  EXPECT_EQ(box->text(), QStringLiteral("Gaugelet needs to update"));
                  EXPECT_EQ(box->informativeText(), QStringLiteral("Body"));
                  EXPECT_EQ(box->icon(), QMessageBox::Warning);
                  box->close();
              }),
              2);
}

TEST(Alert, InformativeTextShowsAsPlainTextWithItsLineBreaks)
{
    const QString markup = QStringLiteral("<a href=\"https://example.invalid/\">x</a>");
    const Alert alert{QStringLiteral("Gaugelet needs to update"), markup + QStringLiteral("\nline2"), {QStringLiteral("Quit")}};
    runWith(alert, [&](QMessageBox* box) {
        QLabel* shown = nullptr;
        for (QLabel* label : box->findChildren<QLabel*>()) {
            if (label->text() == alert.informativeText)
                shown = label;
        }
        ASSERT_NE(shown, nullptr);
        // Read as markup, it would be one line "x line2" with a live link.
        shown->setTextInteractionFlags(shown->textInteractionFlags() | Qt::TextSelectableByMouse);
        shown->setSelection(0, int(alert.informativeText.size()));
        EXPECT_EQ(shown->selectedText().replace(QChar::ParagraphSeparator, u'\n').toStdString(),
                  alert.informativeText.toStdString());
        EXPECT_GE(shown->sizeHint().height(), 2 * QFontMetrics(shown->font()).height());
        box->close();
    });
}
