#pragma once

#include "stats/CPUCoreSample.h"

#include <QList>
#include <QString>

namespace gaugelet {

// The CPU snapshot's extras record, under "cpu.snapshot": the smoothed
// percentages and the newest sample's per-processor values.
struct CPUExtras {
    static inline const QString key = QStringLiteral("cpu.snapshot");

    double user = 0;
    double system = 0;
    double idle = 0;
    QList<CPUCoreSample> perCore;

    bool operator==(const CPUExtras&) const = default;
};

} // namespace gaugelet
