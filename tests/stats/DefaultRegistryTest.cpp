#include "stats/StatRegistry.h"

#include "TestSupport.h"
#include "stats/CPUExtras.h"
#include "stats/MemoryExtras.h"
#include "stats/ProviderEnablementStore.h"

#include <gtest/gtest.h>

using namespace gaugelet;

TEST(DefaultRegistry, FourRealProvidersInOrder)
{
    test::ScopedDefaults defaults;
    const auto registry = StatRegistry::makeDefaultRegistry();
    ASSERT_EQ(registry->providers().size(), 4u);
    const QStringList ids{"cpu.total", "gpu.total", "memory.total", "net.total"};
    const QStringList names{"CPU", "GPU", "Memory", "Network"};
    const QStringList shortNames{"CPU", "GPU", "MEM", "NET"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(registry->providers()[size_t(i)]->id(), ids[i]);
        EXPECT_EQ(registry->providers()[size_t(i)]->displayName(), names[i]);
        EXPECT_EQ(registry->providers()[size_t(i)]->shortName(), shortNames[i]);
    }
    EXPECT_EQ(registry->provider(u"memory.total"), registry->providers()[2].get());
}

TEST(DefaultRegistry, SamplesThisMachine)
{
    test::ScopedDefaults defaults;
    // The network provider would look the public address up on the internet.
    defaults->set(ProviderEnablementStore::enabledKey("net.total"), false);
    ProviderEnablementStore enablement;
    const auto registry = StatRegistry::makeDefaultRegistry();
    int flushes = 0;
    QObject::connect(registry.get(), &StatRegistry::snapshotsPublisher, [&](const StatRegistry::Snapshots&) {
        ++flushes;
    });
    registry->start(nullptr, nullptr, &enablement);
    ASSERT_TRUE(test::waitUntil([&] { return flushes > 0 && registry->snapshots().size() == 3; }));
    const auto& snaps = registry->snapshots();
    EXPECT_EQ(snaps["cpu.total"].badgeText, "CPU");
    EXPECT_EQ(snaps["cpu.total"].label, "0%"); // the first CPU sample
    EXPECT_NE(snaps["cpu.total"].extra<CPUExtras>("cpu.snapshot"), nullptr);
    EXPECT_EQ(snaps["gpu.total"].providerId, "gpu.total");
    const MemoryExtras* memory = snaps["memory.total"].extra<MemoryExtras>("memory.snapshot");
    ASSERT_NE(memory, nullptr);
    EXPECT_GT(memory->totalBytes, 0u);
    EXPECT_GT(snaps["memory.total"].value, 0);
    EXPECT_LE(snaps["memory.total"].value, 1);
    EXPECT_FALSE(snaps.contains("net.total"));
}
