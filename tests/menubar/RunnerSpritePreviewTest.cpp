#include "menubar/RunnerSpritePreview.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

using namespace gaugelet;

TEST(RunnerSpritePreview, MakesAViewThatInstallsItsFramesOnce)
{
    QImage frame(6, 4, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::red);
    const RunnerSpritePreview preview{{frame}, 0.25};
    std::unique_ptr<RunnerPreviewView> view(preview.makeView());
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->installScheduled());
    EXPECT_EQ(view->pendingCycleDuration(), 0.25);
    preview.update(view.get());
    QCoreApplication::processEvents();
    EXPECT_EQ(view->installCount(), 1);
    EXPECT_EQ(view->runner()->lastFramesIdentity(), frame.cacheKey());
    EXPECT_EQ(view->runner()->speed(), 4.0f);
}

TEST(RunnerSpritePreview, AnUpdateSchedulesTheNewValues)
{
    QImage a(4, 4, QImage::Format_ARGB32_Premultiplied);
    a.fill(Qt::red);
    QImage b(4, 4, QImage::Format_ARGB32_Premultiplied);
    b.fill(Qt::blue);
    std::unique_ptr<RunnerPreviewView> view(RunnerSpritePreview{{a}, 1.0}.makeView());
    QCoreApplication::processEvents();
    RunnerSpritePreview{{b}, 0.5}.update(view.get());
    RunnerSpritePreview{{b}, 0.5}.update(nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->installCount(), 2);
    EXPECT_EQ(view->runner()->lastFramesIdentity(), b.cacheKey());
}
