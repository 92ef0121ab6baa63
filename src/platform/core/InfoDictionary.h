#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace gaugelet {

// The application's information dictionary: build settings compiled in from
// the generated BuildInfo.h, read by key. An unset (empty) setting is absent.
//   "CFBundleShortVersionString"  the short version
//   "SUFeedURL"                   the update feed (appcast) URL
//   "SUPublicEDKey"               the update feed's signing key
//   "GaugeletGateURL"             the version gate document's URL
//   "GaugeletStoreHost"           the content store's host
// Thread-safe.
class InfoDictionary {
public:
    static std::optional<QString> string(QStringView key);

    // Test seam: overrides one key for the whole process (std::nullopt makes it
    // absent); clearOverridesForTesting restores the build settings.
    static void setStringForTesting(const QString& key, std::optional<QString> value);
    static void clearOverridesForTesting();

    static inline const QString shortVersionKey = QStringLiteral("CFBundleShortVersionString");
    static inline const QString feedURLKey = QStringLiteral("SUFeedURL");
    static inline const QString feedPublicKeyKey = QStringLiteral("SUPublicEDKey");
    static inline const QString gateURLKey = QStringLiteral("GaugeletGateURL");
    static inline const QString storeHostKey = QStringLiteral("GaugeletStoreHost");
};

} // namespace gaugelet
