#include "stats/views/StatProviderViews.h"

#include "platform/core/MainThread.h"
#include "stats/StatProvider.h"
#include "stats/views/CPUDetailBody.h"
#include "stats/views/GPUDetailBody.h"
#include "stats/views/MemoryConfigBody.h"
#include "stats/views/MemoryDetailBody.h"
#include "stats/views/NetworkConfigView.h"
#include "stats/views/NetworkDetailBody.h"

#include <QHash>

namespace gaugelet {

namespace {

struct Views {
    StatProviderViews::DetailFactory detail;
    StatProviderViews::ConfigFactory config;
};

template <class Body>
QWidget* makeDetail(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent)
{
    return new Body(snapshot, env, parent);
}

template <class Body>
QWidget* makeConfig(const ViewEnvironment& env, QWidget* parent)
{
    return new Body(env, parent);
}

QHash<QString, Views>& table()
{
    static QHash<QString, Views> views{
        {ProviderIds::cpu, {makeDetail<CPUDetailBody>, {}}},
        {ProviderIds::gpu, {makeDetail<GPUDetailBody>, {}}},
        {ProviderIds::memory, {makeDetail<MemoryDetailBody>, makeConfig<MemoryConfigBody>}},
        {ProviderIds::network, {makeDetail<NetworkDetailBody>, makeConfig<NetworkConfigView>}},
    };
    return views;
}

} // namespace

QWidget* StatProviderViews::detailView(const StatProvider& provider, const StatSnapshot& snapshot,
                                       const ViewEnvironment& env, QWidget* parent)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto it = table().constFind(provider.id());
    if (it == table().cend() || !it->detail)
        return nullptr;
    return it->detail(snapshot, env, parent);
}

QWidget* StatProviderViews::configView(const StatProvider& provider, const ViewEnvironment& env, QWidget* parent)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto it = table().constFind(provider.id());
    if (it == table().cend() || !it->config)
        return nullptr;
    return it->config(env, parent);
}

void StatProviderViews::registerViews(const QString& providerId, DetailFactory detail, ConfigFactory config)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    table().insert(providerId, Views{std::move(detail), std::move(config)});
}

void StatProviderViews::unregisterViews(const QString& providerId)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    table().remove(providerId);
}

} // namespace gaugelet
