#include "platform/core/NotificationCenter.h"

#include <QObject>
#include <gtest/gtest.h>
#include <memory>

using namespace gaugelet;

TEST(NotificationCenter, DeliversByNameSynchronouslyInOrder)
{
    NotificationCenter center;
    QStringList seen;
    center.observe("a", nullptr, [&](const auto& n) { seen << "first:" + n.name + ":" + n.userInfo.value("k").toString(); });
    center.observe("b", nullptr, [&](const auto&) { seen << "other"; });
    center.observe("a", nullptr, [&](const auto&) { seen << "second"; });
    center.post("a", nullptr, {{"k", "v"}});
    EXPECT_EQ(seen, (QStringList{"first:a:v", "second"}));
}

TEST(NotificationCenter, ObserverEndsWithItsContextOrWhenRemoved)
{
    NotificationCenter center;
    int count = 0;
    auto context = std::make_unique<QObject>();
    center.observe("n", context.get(), [&](const auto&) { ++count; });
    const auto token = center.observe("n", nullptr, [&](const auto&) { count += 10; });
    center.post("n");
    EXPECT_EQ(count, 11);
    context.reset();
    center.removeObserver(token);
    center.post("n");
    EXPECT_EQ(count, 11);
}
