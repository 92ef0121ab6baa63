// Any bytes: indexing either fails or gives entries whose extraction stays
// inside the archive.
#include "store/ZipReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A deep copy, so a read past the end is a read past the allocation.
    const QByteArray archive(reinterpret_cast<const char*>(data), qsizetype(size));
    auto reader = gaugelet::ZipReader::read(archive);
    if (!reader)
        return 0;
    for (const auto& entry : reader->entries) {
        if (entry.compressionMethod != 0)
            std::abort();
        auto bytes = reader->extract(entry);
        if (bytes && quint64(bytes->size()) != entry.compressedSize)
            std::abort();
    }
    (void)reader->file(QStringLiteral("manifest.json"));
    return 0;
}
