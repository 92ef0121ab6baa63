#include "app/SettingsFileNotice.h"

#include "FakeNotificationServer.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

struct NoticeFixture {
    PrivateBus bus;
    FakeNotificationServer server{bus};
    UserNotificationCenter center{bus.connect()};
    NoticeFixture() { UserNotificationCenter::setCurrent(&center); }
    ~NoticeFixture() { UserNotificationCenter::setCurrent(nullptr); }
};

} // namespace

TEST(SettingsFileNotice, TellsOnceWhatIsWrongWithTheSettingsFile)
{
    NoticeFixture f;
    ASSERT_TRUE(f.server.isRegistered());
    QTemporaryDir dir;
    // The settings path is a folder: found while loading.
    const QString path = dir.filePath("defaults.plist");
    ASSERT_TRUE(QDir().mkpath(path));
    Defaults store(path);
    SettingsFileNotice notice(&store);
    notice.start();
    ASSERT_TRUE(waitUntil([&] { return f.server.notifications().size() == 1; }));
    EXPECT_EQ(f.server.notifications()[0].summary, QStringLiteral("Gaugelet cannot save its settings"));
    EXPECT_EQ(f.server.notifications()[0].body,
              path + QStringLiteral(": it is a folder, not a file. Changes you make will be lost when Gaugelet quits."));
    store.set("k", 1);
    EXPECT_FALSE(store.flush());
    EXPECT_FALSE(waitUntil([&] { return f.server.notifications().size() > 1; }, 300));
}

TEST(SettingsFileNotice, AProblemFoundLaterIsToldWhenItIsFound)
{
    NoticeFixture f;
    QTemporaryDir dir;
    const QString folder = dir.filePath("config");
    writeFile(folder, "in the way");
    Defaults store(folder + "/defaults.plist");
    SettingsFileNotice notice(&store);
    notice.start();
    store.set("k", 1);
    EXPECT_FALSE(store.flush());
    EXPECT_FALSE(store.flush());
    ASSERT_TRUE(waitUntil([&] { return f.server.notifications().size() == 1; }));
    EXPECT_TRUE(f.server.notifications()[0].body.startsWith(folder + "/defaults.plist: it cannot be saved ("));
    EXPECT_FALSE(waitUntil([&] { return f.server.notifications().size() > 1; }, 300));
}

TEST(SettingsFileNotice, EachDistinctProblemIsToldOnceInItsOwnNotification)
{
    NoticeFixture f;
    QTemporaryDir dir;
    const QString folder = dir.filePath("config");
    const QString path = folder + "/defaults.plist";
    writeFile(path, "not a property list");
    Defaults store(path);
    SettingsFileNotice notice(&store);
    notice.start();
    ASSERT_TRUE(waitUntil([&] { return f.server.notifications().size() == 1; }));
    EXPECT_EQ(f.server.notifications()[0].summary, QStringLiteral("Gaugelet could not read its settings"));

    // Later the folder's place is taken by a file: every save fails alike.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    writeFile(folder, "in the way");
    store.set("k", 1);
    EXPECT_FALSE(store.flush());
    store.set("k", 2);
    EXPECT_FALSE(store.flush());
    ASSERT_TRUE(waitUntil([&] { return f.server.notifications().size() == 2; }));
    EXPECT_EQ(f.server.notifications()[1].summary, QStringLiteral("Gaugelet cannot save its settings"));
    EXPECT_TRUE(f.server.notifications()[1].body.startsWith(path + ": it cannot be saved (Not a directory)"));
    // It does not replace the first: both stay on screen.
    EXPECT_NE(f.server.notifications()[1].returnedId, f.server.notifications()[0].returnedId);
    EXPECT_FALSE(waitUntil([&] { return f.server.notifications().size() > 2; }, 300));
}

TEST(SettingsFileNotice, AFileKeptAsideNamesTheCopy)
{
    const Defaults::FileProblem problem{Defaults::FileProblem::Kind::keptAside, "/c/defaults.plist",
                                        "not a property list", "/c/defaults.plist.corrupt.1"};
    const auto request = SettingsFileNotice::request(problem);
    EXPECT_EQ(request.title, QStringLiteral("Gaugelet could not read its settings"));
    EXPECT_EQ(request.body, QStringLiteral("/c/defaults.plist: not a property list. It was kept as "
                                           "/c/defaults.plist.corrupt.1, and Gaugelet started with default settings."));
}
