#pragma once

// Any bytes imported as a settings backup into a store that holds a carried
// and an uncarried value: a failed import names its reason and changes
// nothing; a successful one leaves the uncarried value, stores carried keys
// only, and importing the same bytes again changes nothing more.
#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"
#include "settings/general/ConfigBackup.h"

namespace gaugelet::fuzz {

inline QString checkBackupImport(const QByteArray& bytes)
{
    const QString uncarried = QStringLiteral("fuzz.uncarried");
    Defaults defaults;
    defaults.set(uncarried, QStringLiteral("kept"));
    defaults.set(SettingsSchema::fpsLimit, qint64(20));
    const QVariantMap before = defaults.userValues();
    const QString fileName = QStringLiteral("input.gaugeletbackup");

    auto imported = ConfigBackup::importData(bytes, fileName, defaults);
    if (!imported) {
        if (imported.error().describe().isEmpty())
            return QStringLiteral("a failed import without a description");
        if (defaults.userValues() != before)
            return QStringLiteral("a failed import changed the store");
        return {};
    }
    const QVariantMap after = defaults.userValues();
    if (after.value(uncarried) != QStringLiteral("kept"))
        return QStringLiteral("an import touched a key that backups do not carry");
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (it.key() != uncarried && !ConfigBackup::isCarried(it.key()))
            return QStringLiteral("an import stored the uncarried key ") + it.key();
    }
    int changes = 0;
    QObject::connect(&defaults, &Defaults::changed, [&changes] { ++changes; });
    if (!ConfigBackup::importData(bytes, fileName, defaults))
        return QStringLiteral("a backup that imported once fails the second time");
    if (changes != 0 || defaults.userValues() != after)
        return QStringLiteral("importing the same backup again changed the store");
    return {};
}

} // namespace gaugelet::fuzz
