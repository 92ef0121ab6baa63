// Renders the four detail views as the popover's column shows them (352
// points wide, light and dark, 4, 16 and 64 cores, and an empty history) into
// build/screenshots/ for a person to look at, and checks that nothing runs
// past the column.
#include "DetailViewFixture.h"
#include "charts/PopupRingGrid.h"
#include "schema/SettingsSchema.h"
#include "stats/CPUExtras.h"
#include "stats/CPUProvider.h"
#include "stats/GPUProvider.h"
#include "stats/MemoryExtras.h"
#include "stats/MemoryProvider.h"
#include "stats/NetworkExtras.h"
#include "stats/NetworkProvider.h"
#include "stats/views/CPUDetailBody.h"
#include "stats/views/GPUDetailBody.h"
#include "stats/views/MemoryDetailBody.h"
#include "stats/views/NetworkDetailBody.h"
#include "stats/views/StatProviderViews.h"

#include <QDir>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;
using test::darkPalette;
using test::series;

namespace {
constexpr int kColumn = 352; // 380 − 2 × 14
constexpr uint64_t GiB = 1024ull * 1024 * 1024;

QPalette lightPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(0xF4, 0xF4, 0xF4));
    p.setColor(QPalette::WindowText, QColor(0x1D, 0x1D, 0x1F));
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, QColor(0x1D, 0x1D, 0x1F));
    return p;
}

// Fills a minute of history for every provider; cores = 0 leaves it empty.
StatSnapshot fill(test::DetailViewFixture& f, const QString& id, int cores)
{
    StatSnapshot last;
    last.providerId = id;
    last.label = QStringLiteral("0%");
    if (cores == 0)
        return last;
    for (int i = 0; i < 60; ++i) {
        const double t = i / 59.0;
        StatSnapshot s;
        s.providerId = id;
        if (id == ProviderIds::cpu) {
            const double user = 22 + 14 * std::sin(i / 6.0) + (i % 7) * 1.5;
            const double system = 7 + 4 * std::cos(i / 4.0);
            s.breakdown = {series("user", user), series("system", system), series("idle", 100 - user - system)};
            s.label = QString::number(qRound(user + system)) + "%";
            CPUExtras e{user, system, 100 - user - system, {}};
            const int efficiency = cores == 4 ? 0 : cores / 4;
            for (int c = 0; c < cores; ++c) {
                const double v = std::fmod(0.13 + 0.37 * c + 0.21 * std::sin(i + c), 1.0);
                e.perCore.append({std::abs(v), c < cores - efficiency ? CPUCoreKind::performance
                                                                      : CPUCoreKind::efficiency});
            }
            s.extras.insert(CPUExtras::key, e);
        } else if (id == ProviderIds::gpu) {
            s.breakdown = {series("device", 30 + 25 * std::sin(i / 5.0) * std::sin(i / 5.0)),
                           series("renderer", 12 + 10 * t)};
            s.label = QStringLiteral("41%");
        } else if (id == ProviderIds::memory) {
            MemoryExtras m;
            m.appBytes = 6 * GiB + GiB / 3;
            m.wiredBytes = 2 * GiB;
            m.compressedBytes = GiB / 2;
            m.cachedBytes = 4 * GiB;
            m.swapUsedBytes = GiB / 8;
            m.totalBytes = 16 * GiB;
            m.pressure = MemoryPressureLevel::normal;
            s.extras.insert(MemoryExtras::key, m);
            s.label = QStringLiteral("55%");
        } else {
            const double up = 2e5 + 1.5e5 * std::sin(i / 3.0) + (i == 40 ? 9e5 : 0);
            const double down = 1.2e6 + 9e5 * std::cos(i / 5.0);
            s.breakdown = {Series{"up", "Upload", std::abs(up), NetworkProvider::rateText(std::abs(up))},
                           Series{"down", "Download", std::abs(down), NetworkProvider::rateText(std::abs(down))}};
            NetworkExtras n;
            n.upBytesPerSec = std::abs(up);
            n.downBytesPerSec = std::abs(down);
            n.interfaceName = QStringLiteral("wlp3s0");
            n.interfaceKind = InterfaceKind::wifi;
            n.localIPv4 = QStringLiteral("192.168.1.23");
            n.localIPv6 = QStringLiteral("fe80::3a2c:4aff:fe12:9b01");
            n.publicIP = QStringLiteral("203.0.113.7");
            s.extras.insert(NetworkExtras::key, n);
            s.label = NetworkProvider::rateText(n.upBytesPerSec + n.downBytesPerSec);
        }
        last = f.record(s);
    }
    return last;
}

QImage render(QWidget* widget)
{
    QImage image(widget->size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(widget->palette().color(QPalette::Window));
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Every visible descendant stays inside the host's width.
void expectInsideColumn(QWidget* host, const std::string& name)
{
    for (QWidget* w : host->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->isWindow())
            continue;
        const QRect r(w->mapTo(host, QPoint(0, 0)), w->size());
        EXPECT_LE(r.right(), host->width() - 1) << name << " " << w->metaObject()->className();
        EXPECT_GE(r.left(), 0) << name;
    }
}

struct Scenario {
    const char* name;
    int cores; // 0: empty history
};
} // namespace

TEST(DetailViewScreenshots, EachViewLightAndDarkFitsTheColumn)
{
    QDir().mkpath(QStringLiteral(GAUGELET_BINARY_DIR "/screenshots"));
    const Scenario scenarios[] = {{"4cores", 4}, {"16cores", 16}, {"64cores", 64}, {"empty", 0}};
    for (bool dark : {false, true}) {
        for (const Scenario& sc : scenarios) {
            test::DetailViewFixture f;
            f.theme.select(dark ? QStringLiteral("gum.dark") : QStringLiteral("gum.light"));
            const struct {
                QString id;
                const char* view;
            } views[] = {{ProviderIds::cpu, "cpu"},
                         {ProviderIds::gpu, "gpu"},
                         {ProviderIds::memory, "memory"},
                         {ProviderIds::network, "network"}};
            for (const auto& v : views) {
                if (sc.cores != 0 && sc.cores != 16 && v.id != ProviderIds::cpu)
                    continue; // the other views do not depend on the core count
                const StatSnapshot s = fill(f, v.id, sc.cores);
                QWidget host;
                host.setPalette(dark ? darkPalette() : lightPalette());
                host.setAutoFillBackground(true);
                auto* layout = new QVBoxLayout(&host);
                layout->setContentsMargins(0, 0, 0, 0);
                QWidget* body = nullptr;
                if (v.id == ProviderIds::cpu)
                    body = new CPUDetailBody(s, f.env, &host);
                else if (v.id == ProviderIds::gpu)
                    body = new GPUDetailBody(s, f.env, &host);
                else if (v.id == ProviderIds::memory)
                    body = new MemoryDetailBody(s, f.env, &host);
                else
                    body = new NetworkDetailBody(s, f.env, &host);
                layout->addWidget(body);
                host.setFixedWidth(kColumn);
                host.show();
                host.resize(kColumn, std::max(layout->totalHeightForWidth(kColumn), host.sizeHint().height()));
                layout->activate();
                QCoreApplication::processEvents();
                const std::string name =
                    std::string(v.view) + "-" + (sc.cores ? (v.id == ProviderIds::cpu ? sc.name : "data") : "empty")
                    + (dark ? "-dark" : "-light");
                expectInsideColumn(&host, name);
                if (auto* cpu = qobject_cast<CPUDetailBody*>(body); cpu && sc.cores > 0) {
                    PopupRingGrid* grid = cpu->ringGrid();
                    // Two pixels around the rows for the strokes' outer halves.
                    const int columns = PopupRingGrid::columnsForWidth(grid->width() - 4, 20, 3);
                    const int rows = (sc.cores + columns - 1) / columns;
                    EXPECT_EQ(grid->height(), rows * 20 + (rows - 1) * 3 + 4) << name;
                }
                EXPECT_TRUE(render(&host).save(
                    QStringLiteral(GAUGELET_BINARY_DIR "/screenshots/") + QString::fromStdString(name) + ".png"));
            }
        }
    }
}

TEST(DetailViewScreenshots, TheWholeColumnWithAndWithoutSmoothCharts)
{
    QDir().mkpath(QStringLiteral(GAUGELET_BINARY_DIR "/screenshots"));
    for (bool dark : {false, true}) {
        for (bool smooth : {true, false}) {
            test::DetailViewFixture f;
            f.theme.select(dark ? QStringLiteral("gum.dark") : QStringLiteral("gum.light"));
            f.defaults->set(SettingsSchema::smoothCharts, smooth);
            QWidget host;
            host.setPalette(dark ? darkPalette() : lightPalette());
            host.setAutoFillBackground(true);
            auto* layout = new QVBoxLayout(&host);
            layout->setContentsMargins(14, 14, 14, 14);
            layout->setSpacing(12);
            const QList<QString> ids{ProviderIds::cpu, ProviderIds::gpu, ProviderIds::memory, ProviderIds::network};
            for (const QString& id : ids) {
                const StatSnapshot s = fill(f, id, 16);
                CPUProvider cpu;
                GPUProvider gpu;
                MemoryProvider memory;
                NetworkProvider network;
                StatProvider* provider = id == ProviderIds::cpu       ? static_cast<StatProvider*>(&cpu)
                                         : id == ProviderIds::gpu    ? static_cast<StatProvider*>(&gpu)
                                         : id == ProviderIds::memory ? static_cast<StatProvider*>(&memory)
                                                                     : static_cast<StatProvider*>(&network);
                layout->addWidget(StatProviderViews::detailView(*provider, s, f.env, &host));
            }
            host.setFixedWidth(kColumn + 28);
            host.show();
            host.resize(host.width(), layout->totalHeightForWidth(host.width()));
            layout->activate();
            QCoreApplication::processEvents();
            const std::string name = std::string("column-") + (smooth ? "smooth" : "bars") + (dark ? "-dark" : "-light");
            expectInsideColumn(&host, name);
            EXPECT_TRUE(render(&host).save(QStringLiteral(GAUGELET_BINARY_DIR "/screenshots/")
                                           + QString::fromStdString(name) + ".png"));
        }
    }
}

TEST(DetailViews, EveryProviderBuildsItsViewEvenWithAnEmptyEnvironment)
{
    // No history store and no theme store: the views still build, show and
    // update (with the first palette and no history), and NaN or infinite
    // figures draw as 0.
    test::ScopedDefaults defaults;
    for (const QString& id : {ProviderIds::cpu, ProviderIds::gpu, ProviderIds::memory, ProviderIds::network}) {
        StatSnapshot s;
        s.providerId = id;
        s.label = QStringLiteral("1%");
        s.breakdown = {series("user", std::nan("")), series("up", std::numeric_limits<double>::infinity())};
        std::unique_ptr<StatProvider> provider;
        if (id == ProviderIds::cpu)
            provider = std::make_unique<CPUProvider>();
        else if (id == ProviderIds::gpu)
            provider = std::make_unique<GPUProvider>();
        else if (id == ProviderIds::memory)
            provider = std::make_unique<MemoryProvider>();
        else
            provider = std::make_unique<NetworkProvider>();
        std::unique_ptr<QWidget> view(StatProviderViews::detailView(*provider, s, ViewEnvironment{}, nullptr));
        auto* detail = qobject_cast<StatDetailView*>(view.get());
        ASSERT_NE(detail, nullptr) << id.toStdString();
        view->resize(kColumn, 300);
        view->show();
        detail->setSnapshot(s);
        QCoreApplication::processEvents();
        EXPECT_FALSE(render(view.get()).isNull());
    }
}
