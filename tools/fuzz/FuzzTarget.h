#pragma once

// The body of a fuzz target whose property is a check function: the check
// answers empty when the property holds for the input, else what did not
// hold, which is printed before the target stops. The tests replay the saved
// inputs through the same check functions.
#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace gaugelet::fuzz {

inline int runCheck(const uint8_t* data, size_t size, QString (*check)(const QByteArray&))
{
    // A deep copy, so a read past the end is a read past the allocation.
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString failure = check(bytes);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "property failed: %s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}

} // namespace gaugelet::fuzz

// The program's own log lines (an import, a decoding failure) would be
// written for every input; the fuzzer's output is what matters here.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("dev.gaugelet.*=false"));
    return 0;
}
