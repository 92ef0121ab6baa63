#include "platform/XdgPaths.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace gaugelet;

TEST(XdgPaths, AbsoluteEnvironmentValuesWinRelativeOnesAreIgnored)
{
    const QByteArray saved = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", "/tmp/xdg-cache//x/");
    EXPECT_EQ(XdgPaths::cachesDir(), "/tmp/xdg-cache/x");
    qputenv("XDG_CACHE_HOME", "relative/cache");
    EXPECT_EQ(XdgPaths::cachesDir(), QDir::homePath() + "/.cache");
    qputenv("XDG_CACHE_HOME", "");
    EXPECT_EQ(XdgPaths::cachesDir(), QDir::homePath() + "/.cache");
    if (saved.isNull())
        qunsetenv("XDG_CACHE_HOME");
    else
        qputenv("XDG_CACHE_HOME", saved);
}
