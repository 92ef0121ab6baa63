#include "platform/core/XdgPaths.h"

#include "ScopedEnv.h"

#include <QDir>
#include <gtest/gtest.h>
#include <optional>

using namespace gaugelet;

using test::ScopedEnv;

TEST(XdgPaths, UserDataHomePrefersAnAbsoluteXdgDataHome)
{
    ScopedEnv data("XDG_DATA_HOME", QByteArray("/srv/data/"));
    ScopedEnv home("HOME", std::nullopt);
    EXPECT_EQ(XdgPaths::userDataHome(), QStringLiteral("/srv/data"));
}

TEST(XdgPaths, UserDataHomeFallsBackToHome)
{
    ScopedEnv data("XDG_DATA_HOME", QByteArray("not/absolute"));
    ScopedEnv home("HOME", QByteArray("/home/me"));
    EXPECT_EQ(XdgPaths::userDataHome(), QStringLiteral("/home/me/.local/share"));
}

TEST(XdgPaths, NoUserDataHomeWithoutAUsableHome)
{
    ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    for (const auto& value : {std::optional<QByteArray>(), std::optional(QByteArray()), std::optional(QByteArray("/")),
                              std::optional(QByteArray("home"))}) {
        ScopedEnv home("HOME", value);
        EXPECT_FALSE(XdgPaths::userDataHome());
    }
}

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
