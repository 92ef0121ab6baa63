#include "app/LazySettings.h"

#include "platform/core/MainThread.h"
#include "platform/windows/WindowPlacement.h"
#include "settings/SettingsView.h"
#include "update/SparkleUpdater.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QPixmapCache>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

namespace gaugelet {

LazySettings::LazySettings(const ViewEnvironment& env, QObject* parent) : QObject(parent), m_env(env) {}

LazySettings::~LazySettings()
{
    if (m_window)
        m_window->removeEventFilter(this);
}

void LazySettings::show()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_window)
        createWindow();
    // Reopened before the drop of the last closing ran: start afresh now.
    if (m_dropPending && !m_window->isVisible())
        drop();
    if (!m_built)
        build();
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    if (!m_window->isVisible() && !m_placed) {
        // The first showing stands in the middle of the screen under the
        // pointer; later ones keep where the user put it.
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen)
            WindowPlacement::place(m_window.get(), m_content->sizeHint(), screen->availableGeometry());
        m_placed = true;
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void LazySettings::createWindow()
{
    m_window = std::make_unique<QWidget>(nullptr, Qt::Window);
    m_window->setObjectName(QStringLiteral("settingsWindow"));
    m_window->setWindowTitle(tr("Gaugelet Settings"));
    m_window->setAttribute(Qt::WA_QuitOnClose, false);
    m_window->resize(SettingsView::smallestWidth, SettingsView::smallestHeight);
    auto* layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* close = new QShortcut(QKeySequence::Close, m_window.get());
    connect(close, &QShortcut::activated, m_window.get(), &QWidget::close);
    m_window->installEventFilter(this);
}

void LazySettings::build()
{
    ViewEnvironment env = m_env;
    if (!env.updater) {
        // No updater yet: one made for this content only, dropped with it.
        m_ownUpdater = new SparkleUpdater(this);
        env.updater = m_ownUpdater;
    }
    m_content = new SettingsView(env, m_window.get());
    m_window->layout()->addWidget(m_content);
    m_built = true;
}

void LazySettings::drop()
{
    m_dropPending = false;
    if (!m_built)
        return;
    m_built = false;
    delete m_content.data();
    delete m_ownUpdater.data();
    // A panel or an alert the content left open goes with it.
    const auto children = m_window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (child->isWindow())
            delete child;
    }
    // Qt keeps every pixmap it drew for the content's icons and controls in its
    // pixmap cache, keyed by pixmaps that are gone now and never asked for
    // again: without this, each opening would add its own set, up to the cache's limit.
    QPixmapCache::clear();
}

bool LazySettings::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.get() && event->type() == QEvent::Close && m_built && !m_dropPending) {
        // Dropped on the next turn, once the window has really gone.
        m_dropPending = true;
        QTimer::singleShot(0, this, [this] {
            if (m_dropPending && m_window && !m_window->isVisible())
                drop();
            else
                m_dropPending = false;
        });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace gaugelet
