#include "platform/desktop/SingleInstance.h"

#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

TEST(SingleInstance, ASecondLaunchHandsOverAndARelaunchWaitsForTheName)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.isValid());
    EXPECT_EQ(SingleInstance::objectPath(SingleInstance::applicationId), "/dev/gaugelet/app");
    EXPECT_FALSE(SingleInstance::waitRequested({SingleInstance::waitArgument}));
    EXPECT_TRUE(SingleInstance::waitRequested({"gaugelet", SingleInstance::waitArgument}));

    auto first = std::make_unique<SingleInstance>(bus.connect());
    QSignalSpy shown(first.get(), &SingleInstance::activated);
    EXPECT_EQ(first->claim(), SingleInstance::Claim::owner);
    SingleInstance second(bus.connect());
    EXPECT_EQ(second.claim(), SingleInstance::Claim::handedOver);
    EXPECT_EQ(shown.size(), 1) << "the running copy was asked to show itself";
    SingleInstance atLogin(bus.connect());
    EXPECT_EQ(atLogin.claim(0, true), SingleInstance::Claim::handedOver);
    EXPECT_EQ(shown.size(), 1) << "a login item's start leaves the running copy as it is";
    // Only a boolean asks it to stay quiet.
    QDBusMessage activate = QDBusMessage::createMethodCall(SingleInstance::applicationId, "/dev/gaugelet/app",
                                                           "org.freedesktop.Application", "Activate");
    const QDBusPendingCall quiet = bus.connect().asyncCall(activate << QVariantMap{{SingleInstance::quietKey, "true"}});
    ASSERT_TRUE(waitUntil([&] { return quiet.isFinished(); }));
    EXPECT_EQ(shown.size(), 2) << "a string is no request to stay quiet";

    // A relaunch queues behind the quitting copy and owns the name once it lets go.
    const QDBusConnection relaunchBus = bus.connect();
    auto relaunched = std::make_unique<SingleInstance>(relaunchBus);
    QTimer::singleShot(0, [&first] { first.reset(); });
    EXPECT_EQ(relaunched->claim(SingleInstance::previousCopyWaitMs), SingleInstance::Claim::owner);

    // One whose old copy never quits runs anyway, and takes the name when it goes.
    const QDBusConnection lateBus = bus.connect();
    auto late = std::make_unique<SingleInstance>(lateBus);
    EXPECT_EQ(late->claim(1), SingleInstance::Claim::queued);
    EXPECT_EQ(lateBus.interface()->serviceOwner(SingleInstance::applicationId).value(), relaunchBus.baseService());
    relaunched.reset();
    EXPECT_TRUE(waitUntil([&] {
        return lateBus.interface()->serviceOwner(SingleInstance::applicationId).value() == lateBus.baseService();
    }));

    // A name held by a program that is not this one (no Activate to answer): the launch runs.
    PrivateBus foreign;
    ASSERT_TRUE(foreign.connect().registerService(SingleInstance::applicationId));
    EXPECT_EQ(SingleInstance(foreign.connect()).claim(), SingleInstance::Claim::unguarded);

    // Without a session bus the program runs as the only copy it knows of.
    SingleInstance alone(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"), "none"));
    EXPECT_EQ(alone.claim(), SingleInstance::Claim::noBus);
}
