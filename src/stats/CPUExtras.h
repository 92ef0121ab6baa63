#pragma once

#include "stats/CPUCoreSample.h"

#include <QList>
#include <QString>

namespace gaugelet {

// The CPU snapshot's extras record, under "cpu.snapshot": percentages (0 to
// 100) of all processors' ticks in one interval (user includes nice), smoothed
// over the sampler's ring, and the newest sample's per-processor values in
// the kernel's processor order. `CPUSample` is this record plus its flag.
struct CPUExtras {
    static inline const QString key = QStringLiteral("cpu.snapshot");

    double user = 0;
    double system = 0;
    double idle = 0;
    QList<CPUCoreSample> perCore;

    bool operator==(const CPUExtras&) const = default;
};

} // namespace gaugelet
