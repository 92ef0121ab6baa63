// Any bytes: decoding either fails with a description or gives a manifest
// that encodes and decodes to itself.
#include "store/BundleManifest.h"

#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
    auto manifest = gaugelet::BundleManifest::decode(json);
    if (!manifest) {
        if (manifest.error().describe().isEmpty())
            std::abort();
        return 0;
    }
    auto again = gaugelet::BundleManifest::decode(QJsonDocument(manifest->toJson()).toJson());
    if (!again || again->id != manifest->id || again->assets != manifest->assets)
        std::abort();
    return 0;
}
