#pragma once

#include "stats/Theme.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QMetaObject>
#include <QObject>

namespace gaugelet {

// What the menu-bar controller keeps between redraws and must forget when the
// display changes: the panel's theme, the status bar's thickness and the
// images already rendered for static tiles. An appearance change re-reads the
// theme and empties the images; a screen change re-reads the thickness and
// empties them. Main thread only.
class MenuBarRenderCache : public QObject {
    Q_OBJECT
public:
    explicit MenuBarRenderCache(QObject* parent = nullptr);
    ~MenuBarRenderCache() override;

    Theme cachedTheme = Theme::light;
    double cachedThickness = 0;
    // Each static tile's picture drawn at the screen's scale, then at every
    // scale the status item composes (StatusItem::pixelSizes).
    QHash<qint64, QList<QImage>> pinImages;

    // The handlers (also called by the observers).
    void appearanceChanged();
    void screenParametersChanged();

Q_SIGNALS:
    // After either handler emptied the images: the tiles must be drawn again.
    void invalidated();

private:
    QMetaObject::Connection m_appearanceObserver;
    QMetaObject::Connection m_screenObserver;
};

} // namespace gaugelet
