#include "menubar/VisualizerSizeSetting.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"
#include "stats/Prefs.h"

#include <algorithm>
#include <cmath>

namespace gaugelet {

VisualizerSizeSetting::VisualizerSizeSetting(const QString& visualizerId, Range range,
                                             const QString& notificationPrefix, std::function<void()> didReload)
    : m_visualizerId(visualizerId), m_range(range), m_didReload(std::move(didReload)),
      m_observer(notificationPrefix + visualizerId, [this] { reload(); })
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Defaults::standard()->registerDefaults({{SettingsSchema::visualizerSize.key(visualizerId), range.defaultValue}});
    m_value = stored(visualizerId, range);
}

double VisualizerSizeSetting::stored(const QString& visualizerId, Range range)
{
    const double fallback = std::isfinite(range.defaultValue) ? range.defaultValue : range.minimum;
    return std::clamp(Prefs::doubleValue(SettingsSchema::visualizerSize.key(visualizerId), fallback), range.minimum,
                      range.maximum);
}

void VisualizerSizeSetting::reload()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    m_value = stored(m_visualizerId, m_range);
    if (m_didReload)
        m_didReload();
}

} // namespace gaugelet
