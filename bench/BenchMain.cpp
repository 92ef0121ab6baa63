// The main() of every benchmark program: a QApplication (offscreen unless the
// environment says otherwise) and an in-memory settings store, so benchmarks
// never read or write the user's own settings.
#include "platform/core/Defaults.h"

#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    gaugelet::Defaults defaults;
    gaugelet::Defaults::setStandard(&defaults);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gaugelet::Defaults::setStandard(nullptr);
    return 0;
}
