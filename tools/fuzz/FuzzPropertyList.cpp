// Any bytes: reading either fails with a description or gives a value whose
// XML form reads back. No input may reach a libplist assertion or recursion
// deep enough to overflow the stack.
#include "platform/core/PropertyList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    auto value = gaugelet::PropertyList::fromData(bytes);
    if (!value) {
        if (value.error().describe().isEmpty())
            std::abort();
        return 0;
    }
    if (!gaugelet::PropertyList::fromData(gaugelet::PropertyList::toXml(*value)))
        std::abort();
    return 0;
}
