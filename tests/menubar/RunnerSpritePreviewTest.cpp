#include "menubar/views/RunnerSpritePreview.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <memory>

using namespace gaugelet;

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
