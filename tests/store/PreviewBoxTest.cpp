#include "store/PreviewBox.h"

#include "TestSupport.h"
#include "platform/core/Resources.h"

#include <gtest/gtest.h>

using namespace gaugelet;

TEST(PreviewBox, DelegateRunsItsActionWhenThePlayerStops)
{
    int finished = 0;
    PreviewBox::PlayerDelegate delegate([&] { ++finished; });
    auto player = AudioPlayer::create(Resources::path(QStringLiteral("Sounds/bell-sound.mp3")));
    ASSERT_TRUE(player);
    delegate.watch(*player); // not playing: counts as finished at the next check
    EXPECT_TRUE(test::waitUntil([&] { return finished == 1; }));
    test::spinFor(120);
    EXPECT_EQ(finished, 1);
}
