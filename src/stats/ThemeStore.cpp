#include "stats/ThemeStore.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

ThemeStore::ThemeStore(const QString& defaultPaletteId, QObject* parent)
    : QObject(parent), m_available(Palette::builtIns())
{
    if (auto stored = Defaults::standard()->string(SettingsSchema::themeId)) {
        if (auto p = Palette::byId(*stored)) {
            m_palette = *p;
            return;
        }
    }
    if (auto p = Palette::byId(defaultPaletteId)) {
        m_palette = *p;
        return;
    }
    m_palette = m_available.first();
}

void ThemeStore::select(const QString& paletteId)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    for (const Palette& p : m_available) {
        if (p.id != paletteId)
            continue;
        if (!(p == m_palette)) {
            m_palette = p;
            Q_EMIT paletteChanged(m_palette);
        }
        SettingsSchema::write(SettingsSchema::themeId, paletteId);
        return;
    }
}

} // namespace gaugelet
