// One sample of each statistic's sampler, on fake trees sized like large
// machines and on this machine. Targets per sample: CPU under 50 us, memory
// under 30 us, network under 200 us, GPU without a device under 20 us.
#include "platform/kernel/SysRoot.h"
#include "stats/CPUSampler.h"
#include "stats/GPUSampler.h"
#include "stats/MemorySampler.h"
#include "stats/NetworkSampler.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>
#include <net/if.h>
#include <netinet/in.h>

using namespace gaugelet;

namespace {

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qUtf8Printable(path));
    f.write(contents);
}

} // namespace

static void BM_CpuSamplerSample64Cpus(benchmark::State& st)
{
    QTemporaryDir dir;
    QByteArray text = "cpu  1 2 3 4 5 6 7 8 0 0\n";
    for (int i = 0; i < 64; ++i) {
        text += QStringLiteral("cpu%1 %2 %3 %4 %5 12345 678 910 11 0 0\n")
                    .arg(i)
                    .arg(1234567 + i)
                    .arg(2345 + i)
                    .arg(345678 + i)
                    .arg(98765432 + i)
                    .toUtf8();
    }
    text += "intr 123456789 0 0 0 0\nctxt 987654321\nbtime 1700000000\nprocesses 123456\n";
    writeFile(dir.filePath("proc/stat"), text);
    static const CPUTopology topology = CPUTopology::fromEfficiencyMap({{0, false}, {32, true}});
    CPUSampler::State state(SysRoot(dir.path()), topology);
    for (auto _ : st)
        benchmark::DoNotOptimize(state.sample());
}
BENCHMARK(BM_CpuSamplerSample64Cpus);

static void BM_CpuSamplerSampleThisMachine(benchmark::State& st)
{
    CPUSampler::State state(SysRoot::system(), CPUTopology::shared());
    for (auto _ : st)
        benchmark::DoNotOptimize(state.sample());
}
BENCHMARK(BM_CpuSamplerSampleThisMachine);

static void BM_MemorySamplerSampleFakeTree(benchmark::State& st)
{
    QTemporaryDir dir;
    QFile real(QStringLiteral("/proc/meminfo"));
    QByteArray meminfo = "MemTotal: 16000000 kB\nMemFree: 8000000 kB\n";
    if (real.open(QIODevice::ReadOnly))
        meminfo = real.readAll(); // a full-size file of this kernel's layout
    writeFile(dir.filePath("proc/meminfo"), meminfo);
    writeFile(dir.filePath("proc/pressure/memory"),
              "some avg10=0.00 avg60=0.00 avg300=0.00 total=0\nfull avg10=0.00 avg60=0.00 avg300=0.00 total=0\n");
    writeFile(dir.filePath("sys/block/zram0/mm_stat"), "4096000 1024000 1200000 0 1300000 0 0 0\n");
    writeFile(dir.filePath("sys/block/sda/size"), "1\n");
    MemorySampler::State state{SysRoot(dir.path())};
    for (auto _ : st)
        benchmark::DoNotOptimize(state.sample());
}
BENCHMARK(BM_MemorySamplerSampleFakeTree);

static void BM_MemorySamplerSampleThisMachine(benchmark::State& st)
{
    MemorySampler::State state{SysRoot::system()};
    for (auto _ : st)
        benchmark::DoNotOptimize(state.sample());
}
BENCHMARK(BM_MemorySamplerSampleThisMachine);

static void BM_NetworkSamplerSample16Interfaces(benchmark::State& st)
{
    QTemporaryDir dir;
    std::vector<InterfaceEntry> entries;
    for (int i = 0; i < 16; ++i) {
        const QString name = QStringLiteral("eth%1").arg(i);
        InterfaceEntry packet;
        packet.name = name;
        packet.flags = IFF_UP | IFF_RUNNING;
        packet.hasAddress = true;
        packet.address.ss_family = AF_PACKET;
        entries.push_back(packet);
        InterfaceEntry v4 = packet;
        v4.address = {};
        auto* sin = reinterpret_cast<sockaddr_in*>(&v4.address);
        sin->sin_family = AF_INET;
        inet_pton(AF_INET, qPrintable(QStringLiteral("10.0.%1.2").arg(i)), &sin->sin_addr);
        entries.push_back(v4);
        const QString base = dir.filePath(QStringLiteral("sys/class/net/%1/").arg(name));
        writeFile(base + "statistics/tx_bytes", QByteArray::number(123456789012ll + i) + "\n");
        writeFile(base + "statistics/rx_bytes", QByteArray::number(987654321098ll + i) + "\n");
        writeFile(base + "type", "1\n");
    }
    NetworkSampler::Sources sources;
    sources.root = SysRoot(dir.path());
    sources.lister = [entries] { return std::optional<std::vector<InterfaceEntry>>(entries); };
    sources.primary = [] { return std::optional<QString>(QStringLiteral("eth3")); };
    sources.fetchPublicAddress = false;
    NetworkSampler::State state(sources, {});
    for (auto _ : st)
        benchmark::DoNotOptimize(state.sample());
}
BENCHMARK(BM_NetworkSamplerSample16Interfaces);

static void BM_NetworkSamplerSampleThisMachine(benchmark::State& st)
{
    NetworkSampler::Sources sources;
    sources.fetchPublicAddress = false;
    NetworkSampler::State state(sources, {});
    for (auto _ : st)
        benchmark::DoNotOptimize(state.sample());
}
BENCHMARK(BM_NetworkSamplerSampleThisMachine);

static void BM_GpuSamplerSampleNoDevice(benchmark::State& st)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("sys/class"));
    GPUSampler::State state{GpuReader(SysRoot(dir.path()))};
    for (auto _ : st)
        benchmark::DoNotOptimize(state.sample());
}
BENCHMARK(BM_GpuSamplerSampleNoDevice);

namespace {

// The files one sample set reads on this machine, opened once: /proc/stat,
// /proc/meminfo, /proc/pressure/memory, every zram device's mm_stat, the byte
// counters of every interface that is up (not loopback) and the primary's type.
std::vector<int> openSampleFiles()
{
    std::vector<std::string> paths = {"/proc/stat", "/proc/meminfo", "/proc/pressure/memory"};
    for (const QString& name : SysRoot::system().list("sys/block")) {
        if (name.startsWith(QLatin1String("zram")))
            paths.push_back("/sys/block/" + name.toStdString() + "/mm_stat");
    }
    std::string primary;
    if (auto entries = InterfaceReader::listSystem()) {
        for (const InterfaceEntry& e : *entries) {
            if (e.family() != AF_PACKET || (e.flags & IFF_LOOPBACK) || !(e.flags & IFF_UP))
                continue;
            const std::string base = "/sys/class/net/" + e.name.toStdString();
            paths.push_back(base + "/statistics/tx_bytes");
            paths.push_back(base + "/statistics/rx_bytes");
            if (primary.empty())
                primary = base + "/type";
        }
    }
    if (!primary.empty())
        paths.push_back(primary);
    std::vector<int> fds;
    for (const std::string& p : paths) {
        const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0)
            fds.push_back(fd);
    }
    return fds;
}

// The floor: one pread from offset 0 of each kept file.
void readFloor(const std::vector<int>& fds, std::vector<char>& buf)
{
    for (int fd : fds)
        benchmark::DoNotOptimize(::pread(fd, buf.data(), buf.size(), 0));
}

} // namespace

static void BM_KeptDescriptorFloorThisMachine(benchmark::State& st)
{
    const std::vector<int> fds = openSampleFiles();
    std::vector<char> buf(16384);
    for (auto _ : st)
        readFloor(fds, buf);
    st.counters["files"] = double(fds.size());
    for (int fd : fds)
        ::close(fd);
}
BENCHMARK(BM_KeptDescriptorFloorThisMachine);

// One second of the program's sampling work: one sample of each of the four.
// "floor_us" is the kept-descriptor floor of the same files, timed beside it,
// and "x_floor" the set's time over it (target: at most 1.5).
static void BM_AllFourSamplersThisMachine(benchmark::State& st)
{
    const std::vector<int> fds = openSampleFiles();
    std::vector<char> buf(16384);
    constexpr int floorRounds = 2000;
    const auto f0 = std::chrono::steady_clock::now();
    for (int i = 0; i < floorRounds; ++i)
        readFloor(fds, buf);
    const double floorUs = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - f0).count() / floorRounds;
    for (int fd : fds)
        ::close(fd);

    CPUSampler::State cpu(SysRoot::system(), CPUTopology::shared());
    GPUSampler::State gpu{GpuReader(SysRoot::system(), GpuReader::systemNvml())};
    MemorySampler::State memory{SysRoot::system()};
    NetworkSampler::Sources sources;
    sources.fetchPublicAddress = false;
    NetworkSampler::State network(sources, {});
    const auto t0 = std::chrono::steady_clock::now();
    for (auto _ : st) {
        benchmark::DoNotOptimize(cpu.sample());
        benchmark::DoNotOptimize(gpu.sample());
        benchmark::DoNotOptimize(memory.sample());
        benchmark::DoNotOptimize(network.sample());
    }
    const double setUs = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count()
        / double(std::max<benchmark::IterationCount>(1, st.iterations()));
    st.counters["floor_us"] = floorUs;
    st.counters["x_floor"] = setUs / floorUs;
}
BENCHMARK(BM_AllFourSamplersThisMachine);
