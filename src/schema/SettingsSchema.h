#pragma once

#include "platform/core/Defaults.h"
#include "schema/KeyTemplate.h"
#include "schema/SettingKey.h"

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringView>
#include <QVariant>
#include <span>

namespace gaugelet {

// Every key of the user defaults, once, with its type and default, and the
// typed reads and writes of them. Nothing else in the program spells a key:
// it names one of these (SettingsSchema::popupFontSize) or builds one from a
// template (SettingsSchema::providerEnabled.key(id)).
class SettingsSchema {
public:
    using K = SettingKey;

    // App-wide display settings ("global."). Registered ones get their default
    // in the registration domain at launch; the others are read with theirs.
    static constexpr SettingKey fpsLimit = K::integer("global.fpsLimit", 15).registeredAtLaunch().in(K::menubar);
    static constexpr SettingKey runnerTintEnabled =
        K::boolean("global.runnerTintEnabled", false).registeredAtLaunch().in(K::menubar | K::themes);
    static constexpr SettingKey runnerTintThreshold =
        K::real("global.runnerTintThreshold", 0.8).registeredAtLaunch().in(K::menubar | K::themes);
    static constexpr SettingKey popupFontSize =
        K::real("global.popupFontSize", 13).registeredAtLaunch().in(K::popover | K::themes);
    static constexpr SettingKey popupTwoColumn =
        K::string("global.popupTwoColumn", "auto").registeredAtLaunch().in(K::popover | K::themes);
    static constexpr SettingKey spriteYOffset =
        K::real("global.spriteYOffset", 0).registeredAtLaunch().in(K::menubar | K::themes);
    static constexpr SettingKey statBgEnabled =
        K::boolean("global.statBgEnabled", false).registeredAtLaunch().in(K::popover | K::menubar | K::themes);
    static constexpr SettingKey statBgHex =
        K::string("global.statBgHex", "").registeredAtLaunch().in(K::popover | K::menubar | K::themes);
    static constexpr SettingKey statShowMerged =
        K::boolean("global.statShowMerged", true).registeredAtLaunch().in(K::popover);
    static constexpr SettingKey smoothCharts = K::boolean("global.smoothCharts", true).in(K::popover | K::themes);
    static constexpr SettingKey statFgEnabled = K::boolean("global.statFgEnabled", false).in(K::popover | K::themes);
    static constexpr SettingKey statFgHex = K::string("global.statFgHex", "").in(K::popover | K::themes);
    static constexpr SettingKey statLabelPosition =
        K::string("global.statLabelPosition", "trailing").in(K::popover | K::themes);
    static constexpr SettingKey themeId = K::string("global.themeId", "gum.dark").in(K::popover);

    // The alarms as one JSON array, and a stored list that could not be read
    // (kept for the user rather than overwritten).
    static constexpr SettingKey alarms = K::data("global.alarms");
    static constexpr SettingKey unreadableAlarms = K::data("global.alarms.unreadable");

    // The app-wide tag styling of old versions, read once into every pin and
    // then removed.
    static constexpr SettingKey legacyShowTag = K::boolean("global.showTag", false);
    static constexpr SettingKey legacyTagPosition = K::string("global.tagPosition", "behind");
    static constexpr SettingKey legacyTagShowBg = K::boolean("global.tagShowBg", false);
    static constexpr SettingKey legacyTagFgHex = K::string("global.tagFgHex", "");
    static constexpr SettingKey legacyTagBgHex = K::string("global.tagBgHex", "");
    static constexpr SettingKey legacyTagYOffset = K::real("global.tagYOffset", 0);

    // Per-provider settings with a fixed provider.
    static constexpr SettingKey memoryShowCached = K::boolean("provider.memory.total.showCached", false).in(K::popover);

    // The pin list as JSON.
    static constexpr SettingKey pinnedSlots = K::data("pinnedSlots").in(K::menubar);

    // One-time migrations and the setup window.
    static constexpr SettingKey perPinTagStylingMigrated = K::boolean("migration.perPinTagStyling.v1", false);
    static constexpr SettingKey legacyGlobalTagsDropped = K::boolean("migration.dropLegacyGlobalTags.v1", false);
    static constexpr SettingKey sampleAlarmSeeded = K::boolean("migration.seedSampleAlarm.v1", false);
    static constexpr SettingKey setupWindowDismissed = K::boolean("setup.windowDismissed.v1", false);

    // Internal caches ("dev.gaugelet.").
    static constexpr SettingKey killSwitchLastResponse = K::data("dev.gaugelet.killswitch.lastResponse");
    static constexpr SettingKey killSwitchLastFetchAt = K::date("dev.gaugelet.killswitch.lastFetchAt");
    static constexpr SettingKey catalogueCache = K::data("dev.gaugelet.store.catalogue.cache");
    static constexpr SettingKey catalogueSignature = K::data("dev.gaugelet.store.catalogue.sig");
    static constexpr SettingKey catalogueLastFetchAt = K::date("dev.gaugelet.store.catalogue.lastFetchAt");
    // The ids of the bundles that seeding installed from the program's own
    // resources. Internal: backups do not carry it.
    static constexpr SettingKey builtInBundles = K::array("dev.gaugelet.store.builtInBundles");

    // Keys built from an id.
    // Bool, absent means enabled.
    static constexpr KeyTemplate providerEnabled{"provider.", ".enabled", K::popover};
    // Double, the visualizer's own default size (registered by the visualizer).
    static constexpr KeyTemplate visualizerSize{"visualizer.", ".size", K::menubar};
    // A pin label's field; the id is "<pin id>.<tag or value>.<field>".
    static constexpr KeyTemplate pinLabel{"pin.", "", K::menubar};
    // String, a statistic's badge text by provider id.
    static constexpr KeyTemplate tagOverride{"tag.override.", "", K::popover | K::menubar};
    // Bool, a catalogue item marked seen by the store tab.
    static constexpr KeyTemplate storeSeen{"store.seen.", ""};

    // The keys a settings backup carries: pinnedSlots and every key with one
    // of these prefixes (tested in this order).
    static std::span<const QLatin1String> backupPrefixes();
    static bool isCarriedByBackup(QStringView key);

    // Every fixed key and every template.
    static std::span<const SettingKey* const> keys();
    static std::span<const KeyTemplate* const> templates();
    static const SettingKey* find(QStringView key);
    // The change groups of a key (a fixed key or one of a template's).
    static unsigned groupsOf(QStringView key);

    // The defaults registered at launch, by key.
    static QVariantMap launchDefaults();
    static void registerLaunchDefaults(Defaults& defaults);

    // Typed reads: the stored value when it reads as the key's type, else
    // the key's default. Bool accepts a number (non-zero is true); a real
    // accepts an integer (a non-finite one is absent); an integer accepts a
    // real, a Bool or a text that starts with a number (20, 20.0, "20").
    static bool boolean(const SettingKey& key, const Defaults& defaults = *Defaults::standard());
    static qint64 integer(const SettingKey& key, const Defaults& defaults = *Defaults::standard());
    static double real(const SettingKey& key, const Defaults& defaults = *Defaults::standard());
    static QString string(const SettingKey& key, const Defaults& defaults = *Defaults::standard());
    // Typed write: the value converted to the key's type (a value that does
    // not convert removes the key).
    static void write(const SettingKey& key, const QVariant& value, Defaults& defaults = *Defaults::standard());
};

} // namespace gaugelet
