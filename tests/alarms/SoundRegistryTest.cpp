#include "alarms/SoundRegistry.h"

#include "AlarmFixture.h"
#include "platform/core/NotificationCenter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

using Sound = SoundRegistry::Sound;

Sound installedSound(const QString& id, const QString& name, const QString& pack)
{
    return Sound{id, name, QUrl::fromLocalFile("/packs/" + pack + "/" + id + ".mp3"), Sound::Source::installed(pack)};
}

QStringList names(const QList<Sound>& sounds)
{
    QStringList out;
    for (const Sound& s : sounds)
        out << s.displayName;
    return out;
}

// A resources folder of the test's own; "Sounds" holds empty files with these stems.
class SoundsFolder {
public:
    explicit SoundsFolder(const QStringList& stems, bool withFolder = true)
        : m_env("GAUGELET_RESOURCES_DIR", m_dir.path().toUtf8())
    {
        if (withFolder)
            QDir(m_dir.path()).mkpath("Sounds");
        for (const QString& stem : stems)
            writeFile(m_dir.filePath("Sounds/" + stem), "x");
    }

private:
    QTemporaryDir m_dir;
    ScopedEnv m_env;
};

class SoundRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SoundRegistry::installed().clear();
        m_token = NotificationCenter::defaultCenter().observe(SoundRegistry::didChangeNotification, nullptr,
                                                              [this](const auto&) { ++posts; });
    }
    void TearDown() override
    {
        NotificationCenter::defaultCenter().removeObserver(m_token);
        SoundRegistry::installed().clear();
    }
    int posts = 0;

private:
    NotificationCenter::Token m_token = 0;
};

} // namespace

TEST(SoundRegistryPrettyName, FollowsTheStemRules)
{
    EXPECT_EQ(SoundRegistry::prettyName("bird-sound"), "Bird");
    EXPECT_EQ(SoundRegistry::prettyName("soft-chime-2-sound"), "Soft Chime 2");
    EXPECT_EQ(SoundRegistry::prettyName("bell--loud"), "Bell Loud");
    EXPECT_EQ(SoundRegistry::prettyName("sound-bell"), "Sound Bell");
    EXPECT_EQ(SoundRegistry::prettyName("-sound"), "-sound");
    EXPECT_EQ(SoundRegistry::prettyName("x-sound-sound"), "X Sound");
    EXPECT_EQ(SoundRegistry::prettyName("ßharp-éclair"), "SSharp Éclair");
    EXPECT_EQ(SoundRegistry::prettyName("Bird-Sound"), "Bird Sound") << "the search is case-sensitive";
}

TEST_F(SoundRegistryTest, ShipsBirdSoundAsTheDefault)
{
    const QList<Sound> bundled = SoundRegistry::bundledSounds();
    ASSERT_GE(bundled.size(), 3);
    auto bird = SoundRegistry::defaultSound();
    ASSERT_TRUE(bird.has_value());
    EXPECT_EQ(bird->id, "bird-sound");
    EXPECT_EQ(bird->displayName, "Bird");
    EXPECT_EQ(bird->source, Sound::Source::bundled());
    EXPECT_TRUE(bird->url.toLocalFile().endsWith("/Sounds/bird-sound.mp3"));
}

TEST_F(SoundRegistryTest, NoSoundsFolderAndNothingInstalledMeansNoSounds)
{
    SoundsFolder folder({}, /*withFolder=*/false);
    EXPECT_TRUE(SoundRegistry::allSounds().isEmpty());
    EXPECT_FALSE(SoundRegistry::sound("bird-sound"));
    EXPECT_FALSE(SoundRegistry::defaultSound());
}

TEST_F(SoundRegistryTest, OnlyMp3FilesCountAndTheStemIsTheId)
{
    SoundsFolder folder({"chime.mp3", "notes.txt", "loud.MP3", "bell-sound.mp3"});
    const QList<Sound> sounds = SoundRegistry::allSounds();
    QStringList ids;
    for (const Sound& s : sounds)
        ids << s.id;
    EXPECT_EQ(ids, (QStringList{"bell-sound", "chime"}));
}

TEST_F(SoundRegistryTest, WithoutBirdTheDefaultIsTheFirstInNaturalCaseInsensitiveOrder)
{
    SoundsFolder folder({"bell.mp3", "alarm.mp3"});
    SoundRegistry::installed().insert("c10", installedSound("c10", "Chime 10", "p"));
    SoundRegistry::installed().insert("c9", installedSound("c9", "Chime 9", "p"));
    EXPECT_EQ(names(SoundRegistry::allSounds()), (QStringList{"Alarm", "Bell", "Chime 9", "Chime 10"}));
    EXPECT_EQ(SoundRegistry::defaultSound()->id, "alarm");

    SoundsFolder lower({"bell.mp3"});
    SoundRegistry::installed().clear();
    SoundRegistry::installed().insert("a", installedSound("a", "Alarm", "p"));
    SoundRegistry::installed().insert("b", installedSound("b", "bell", "p"));
    EXPECT_EQ(names(SoundRegistry::allSounds()), (QStringList{"Alarm", "Bell", "bell"}))
        << "equal names keep built-in first";
}

TEST_F(SoundRegistryTest, AnInstalledBirdSoundThatSortsFirstBecomesTheDefault)
{
    SoundsFolder folder({"bird-sound.mp3", "chime.mp3"});
    SoundRegistry::registerInstalled(installedSound("bird-sound", "Aviary", "birds"));
    EXPECT_EQ(posts, 1);
    auto bird = SoundRegistry::defaultSound();
    ASSERT_TRUE(bird);
    EXPECT_EQ(bird->displayName, "Aviary");
    EXPECT_EQ(bird->source, Sound::Source::installed("birds"));
}

TEST_F(SoundRegistryTest, UnregisteringAPackRemovesItsSoundsAndPostsOnce)
{
    SoundRegistry::registerInstalled(installedSound("a", "A", "pack-1"));
    SoundRegistry::registerInstalled(installedSound("b", "B", "pack-1"));
    SoundRegistry::registerInstalled(installedSound("c", "C", "pack-1"));
    SoundRegistry::registerInstalled(installedSound("d", "D", "pack-2"));
    posts = 0;
    SoundRegistry::unregisterPack("pack-none");
    EXPECT_EQ(posts, 0);
    SoundRegistry::unregisterPack("pack-1");
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(SoundRegistry::installed().keys(), QStringList{"d"});
}

TEST_F(SoundRegistryTest, TheLastPackToRegisterAnIdOwnsIt)
{
    SoundRegistry::registerInstalled(installedSound("chime", "Chime", "pack-1"));
    SoundRegistry::registerInstalled(installedSound("chime", "Chime", "pack-2"));
    EXPECT_EQ(SoundRegistry::installed().size(), 1);
    posts = 0;
    SoundRegistry::unregisterPack("pack-1");
    EXPECT_EQ(posts, 0);
    EXPECT_EQ(SoundRegistry::installed().value("chime").source, Sound::Source::installed("pack-2"));
}
