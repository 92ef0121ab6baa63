#include "SettingsTestSupport.h"

#include "menubar/PinManager.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "platform/core/Resources.h"
#include "stats/StatRegistry.h"
#include "stats/ThemeStore.h"
#include "store/BundleVerifier.h"
#include "store/RunnerStoreAdapter.h"
#include "store/SigningKeys.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScrollArea>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace gaugelet::test {

SettingsWorld::SettingsWorld()
{
    registry = StatRegistry::makeDefaultRegistry();
    visualizers = std::make_unique<VisualizerRegistry>();
    pins = std::make_unique<PinManager>(PinManager::defaultPins(), PinManager::groupOf(visualizers.get()));
    theme = std::make_unique<ThemeStore>(QStringLiteral("gum.dark"));
    adapter = std::make_unique<RunnerStoreAdapter>(
        QSet<BundleManifest::BundleType>{BundleManifest::BundleType::runnerSprite}, visualizers.get());
}

SettingsWorld::~SettingsWorld()
{
    adapter.reset();
    pins.reset();
    theme.reset();
    visualizers.reset();
    registry.reset();
}

bool SettingsWorld::installRunners(const QStringList& ids)
{
    const QDir assets(Resources::path(QStringLiteral("StoreAssets")));
    for (const QString& id : ids) {
        const QByteArray bytes = readFile(assets.filePath(id + QStringLiteral(".gaugebundle")));
        auto verified = BundleVerifier::verify(bytes, StoreSigningKey::builtIn());
        if (!verified)
            return false;
        const QString folder = m_bundles.filePath(id);
        for (auto it = verified->files.cbegin(); it != verified->files.cend(); ++it)
            writeFile(folder + u'/' + it.key(), it.value());
        if (!adapter->install(verified->manifest, folder))
            return false;
    }
    return true;
}

bool SettingsWorld::installRunnerNamed(const QString& id, const QString& displayName)
{
    const QDir assets(Resources::path(QStringLiteral("StoreAssets")));
    auto verified = BundleVerifier::verify(readFile(assets.filePath(QStringLiteral("fox.gaugebundle"))),
                                           StoreSigningKey::builtIn());
    if (!verified)
        return false;
    BundleManifest manifest = verified->manifest;
    manifest.id = id;
    manifest.displayName = displayName;
    const QString folder = m_bundles.filePath(QStringLiteral("named-") + id);
    for (auto it = verified->files.cbegin(); it != verified->files.cend(); ++it)
        writeFile(folder + u'/' + it.key(), it.value());
    return adapter->install(manifest, folder).has_value();
}

ViewEnvironment SettingsWorld::env() const
{
    ViewEnvironment e;
    e.registry = registry.get();
    e.visualizers = visualizers.get();
    e.pins = pins.get();
    e.theme = theme.get();
    return e;
}

WriteCounter::WriteCounter(Defaults* defaults)
    : m_defaults(defaults)
    , m_before(defaults->userValues())
    , m_count(std::make_shared<int>(0))
    , m_keys(std::make_shared<QStringList>())
{
    auto count = m_count;
    auto keys = m_keys;
    m_connection = QObject::connect(defaults, &Defaults::changed, [count, keys](const QString& key) {
        ++*count;
        keys->append(key);
    });
}

WriteCounter::~WriteCounter()
{
    QObject::disconnect(m_connection);
}

bool WriteCounter::valuesChanged() const
{
    return m_defaults->userValues() != m_before;
}

QPalette screenshotPalette(bool dark)
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    return dark ? darkPalette() : QApplication::style()->standardPalette();
}

QString saveScreenshot(QWidget* widget, const QString& name)
{
    // Show the whole form: the scroll area's content at its full height.
    QWidget* target = widget;
    if (auto* scroll = widget->findChild<QScrollArea*>()) {
        if (QWidget* content = scroll->widget()) {
            const int h = content->sizeHint().height();
            widget->resize(widget->width(), std::max(widget->height(), h + 4));
            QApplication::processEvents();
            target = widget;
        }
    }
    const QString dir = QStringLiteral(GAUGELET_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    QImage image(target->size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(target->palette().color(QPalette::Window));
    target->render(&image);
    const QString path = dir + u'/' + name + QStringLiteral(".png");
    image.save(path);
    return path;
}

} // namespace gaugelet::test
