#include "platform/core/InfoDictionary.h"

#include "BuildInfo.h"

#include <QHash>
#include <QMutex>

namespace gaugelet {

namespace {

QMutex overridesMutex;
QHash<QString, std::optional<QString>>& overrides()
{
    static QHash<QString, std::optional<QString>> map;
    return map;
}

std::optional<QString> nonEmpty(const char* value)
{
    QString text = QString::fromUtf8(value);
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace

std::optional<QString> InfoDictionary::string(QStringView key)
{
    {
        QMutexLocker lock(&overridesMutex);
        const auto it = overrides().constFind(key.toString());
        if (it != overrides().cend())
            return *it;
    }
    if (key == shortVersionKey)
        return nonEmpty(buildinfo::shortVersion);
    if (key == feedURLKey)
        return nonEmpty(buildinfo::feedUrl);
    if (key == feedPublicKeyKey)
        return nonEmpty(buildinfo::feedPublicKey);
    if (key == gateURLKey)
        return nonEmpty(buildinfo::gateUrl);
    if (key == storeHostKey)
        return nonEmpty(buildinfo::storeHost);
    return std::nullopt;
}

void InfoDictionary::setStringForTesting(const QString& key, std::optional<QString> value)
{
    QMutexLocker lock(&overridesMutex);
    overrides().insert(key, std::move(value));
}

void InfoDictionary::clearOverridesForTesting()
{
    QMutexLocker lock(&overridesMutex);
    overrides().clear();
}

} // namespace gaugelet
