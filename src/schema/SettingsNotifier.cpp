#include "schema/SettingsNotifier.h"

#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"

namespace gaugelet {

SettingsNotifier* SettingsNotifier::of(Defaults* defaults)
{
    if (!defaults)
        return nullptr;
    if (auto* existing = defaults->findChild<SettingsNotifier*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new SettingsNotifier(defaults);
}

SettingsNotifier* SettingsNotifier::standard()
{
    return of(Defaults::standard());
}

SettingsNotifier::SettingsNotifier(Defaults* defaults) : QObject(defaults)
{
    connect(defaults, &Defaults::changed, this, &SettingsNotifier::note);
}

void SettingsNotifier::note(const QString& key)
{
    const unsigned groups = SettingsSchema::groupsOf(key);
    if (groups == SettingKey::noGroup)
        return;
    const bool scheduled = m_pending != 0;
    m_pending |= groups;
    if (!scheduled)
        QMetaObject::invokeMethod(this, &SettingsNotifier::emitPending, Qt::QueuedConnection);
}

void SettingsNotifier::emitPending()
{
    const unsigned groups = m_pending;
    m_pending = 0;
    if (groups & SettingKey::popover)
        Q_EMIT popoverChanged();
    if (groups & SettingKey::menubar)
        Q_EMIT menubarChanged();
    if (groups & SettingKey::themes)
        Q_EMIT themesChanged();
}

} // namespace gaugelet
