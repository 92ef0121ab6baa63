#include "platform/kernel/PressureReader.h"

#include <QByteArray>
#include <QList>
#include <cmath>

namespace gaugelet {

std::optional<PressureAverages> PressureReader::parse(std::string_view text)
{
    // some avg10=0.00 avg60=0.00 avg300=0.00 total=0
    // full avg10=0.00 avg60=0.00 avg300=0.00 total=0
    PressureAverages result;
    bool sawSome = false;
    const QByteArray all(text.data(), qsizetype(text.size()));
    for (const QByteArray& line : all.split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 2)
            continue;
        for (const QByteArray& part : parts) {
            if (!part.startsWith("avg10="))
                continue;
            bool ok = false;
            const double v = part.mid(6).toDouble(&ok);
            if (!ok || !std::isfinite(v))
                break;
            if (parts[0] == "some") {
                result.someAvg10 = v;
                sawSome = true;
            } else if (parts[0] == "full") {
                result.fullAvg10 = v;
            }
            break;
        }
    }
    if (!sawSome)
        return std::nullopt;
    return result;
}

std::optional<PressureAverages> PressureReader::readMemory(const SysRoot& root)
{
    return root.readParsed("proc/pressure/memory", &PressureReader::parse);
}

std::optional<PressureAverages> PressureReader::read(KernelFile& file, std::string& buf)
{
    return file.readParsed(buf, &PressureReader::parse);
}

} // namespace gaugelet
