#pragma once

#include "stats/StatSnapshot.h"

#include <QString>
#include <functional>

class QWidget;

namespace gaugelet {

class StatProvider;
struct ViewEnvironment;

// The widgets a statistic provider is shown with, kept apart from the
// provider (which only samples): its detail view under its row in the
// popover and its section in the statistics settings, chosen by provider id.
// The four built-in providers have theirs; another provider has none unless
// views were registered for its id. Main thread only.
class StatProviderViews {
public:
    using DetailFactory = std::function<QWidget*(const StatSnapshot&, const ViewEnvironment&, QWidget*)>;
    using ConfigFactory = std::function<QWidget*(const ViewEnvironment&, QWidget*)>;

    // The view under the provider's row in the popover, for one snapshot: a
    // StatDetailView (updated in place with later snapshots), or nullptr.
    static QWidget* detailView(const StatProvider& provider, const StatSnapshot& snapshot, const ViewEnvironment& env,
                               QWidget* parent);
    // The provider's section in the statistics settings; nullptr is the empty view.
    static QWidget* configView(const StatProvider& provider, const ViewEnvironment& env, QWidget* parent);

    // Sets the views of a provider id (an empty factory: none); the built-in
    // ids' views are there from the start.
    static void registerViews(const QString& providerId, DetailFactory detail, ConfigFactory config = {});
    // Drops what registerViews set for the id.
    static void unregisterViews(const QString& providerId);
};

} // namespace gaugelet
