#include "platform/statusitem/StatusItemButton.h"

#include "platform/core/MainThread.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/style/Appearance.h"

namespace gaugelet {

StatusItemButton::StatusItemButton(StatusItem* item) : m_item(item), m_layer(Layer::create()) {}

void StatusItemButton::setImage(const QImage& image, bool isTemplate)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (image.cacheKey() == m_image.cacheKey() && image.isNull() == m_image.isNull() && isTemplate == m_template)
        return;
    m_image = image;
    m_template = isTemplate;
    m_item->buttonImageChanged();
}

QSizeF StatusItemButton::imageSize() const
{
    if (m_image.isNull())
        return {};
    const double dpr = m_image.devicePixelRatio() > 0 ? m_image.devicePixelRatio() : 1.0;
    return QSizeF(m_image.width() / dpr, m_image.height() / dpr);
}

std::optional<ScreenFacts> StatusItemButton::windowScreen() const
{
    const auto click = m_item->lastClickPosition();
    if (!click)
        return std::nullopt;
    return ScreenInfo::instance()->screenAt(*click);
}

bool StatusItemButton::isDarkAppearance() const
{
    return Appearance::instance()->isPanelDark();
}

} // namespace gaugelet
