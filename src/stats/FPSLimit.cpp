#include "stats/FPSLimit.h"

#include "platform/Defaults.h"

#include <cmath>

namespace gaugelet {

int FPSLimit::current()
{
    const auto stored = Defaults::standard()->real(QStringLiteral("global.fpsLimit"));
    if (!stored)
        return 1;
    const double v = std::trunc(*stored);
    if (v == 10)
        return 0;
    if (v == 20)
        return 2;
    return 1;
}

} // namespace gaugelet
