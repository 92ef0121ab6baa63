#include "store/views/StorePreviewViews.h"

#include "menubar/views/RunnerSpritePreview.h"
#include "platform/core/MainThread.h"
#include "store/StorePreview.h"
#include "store/views/SoundPackPreview.h"

namespace gaugelet {

QWidget* StorePreviewViews::makeWidget(const StorePreview& preview, QWidget* parent)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (const auto* sprite = std::get_if<StorePreview::RunnerSprite>(&preview.content()))
        return RunnerSpritePreview{sprite->frames, sprite->cycleDuration}.makeView(parent);
    if (const auto* sound = std::get_if<StorePreview::SoundPack>(&preview.content()))
        return new SoundPackPreview(sound->displayName, sound->audioBytes, parent);
    return nullptr;
}

} // namespace gaugelet
