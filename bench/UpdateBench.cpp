#include "update/AppcastParser.h"
#include "update/KillSwitch.h"
#include "update/NumericCompare.h"

#include <benchmark/benchmark.h>

using namespace gaugelet;

namespace {

QByteArray bigAppcast()
{
    QByteArray feed = R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>)";
    feed += "<item><description>" + QByteArray(1000 * 1024, 'x') + "</description>";
    feed += R"(<enclosure url="https://example.org/a.tar.gz" sparkle:version="42"/></item></channel></rss>)";
    return feed;
}

} // namespace

// The feed probe parses up to the 1 MiB cap on the main thread.
static void BM_AppcastParserLatestVersion1MiB(benchmark::State& state)
{
    const QByteArray feed = bigAppcast();
    for (auto _ : state) {
        AppcastParser parser;
        benchmark::DoNotOptimize(parser.latestVersion(feed));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * feed.size());
}
BENCHMARK(BM_AppcastParserLatestVersion1MiB);

// The gate decodes before any window exists, so its cost is launch delay.
static void BM_KillSwitchPayloadDecode(benchmark::State& state)
{
    const QByteArray body = R"({"live":true,"alpha":true,"min_version":"1.10","message":"Please update.",)"
                            R"("link_url":"https://example.org/","link_label":"Download","author":"ops"})";
    for (auto _ : state)
        benchmark::DoNotOptimize(KillSwitch::Payload::decode(body));
}
BENCHMARK(BM_KillSwitchPayloadDecode);

static void BM_KillSwitchPayloadDecodeDeepNesting1MiB(benchmark::State& state)
{
    const QByteArray body = QByteArray(512 * 1024, '[') + QByteArray(512 * 1024, ']');
    for (auto _ : state)
        benchmark::DoNotOptimize(KillSwitch::Payload::decode(body));
}
BENCHMARK(BM_KillSwitchPayloadDecodeDeepNesting1MiB);

static void BM_NumericCompareVersions(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(numericCompare(u"12.4.100-beta3", u"12.4.99-beta10"));
}
BENCHMARK(BM_NumericCompareVersions);
