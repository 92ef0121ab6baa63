#pragma once

#include <QColor>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

namespace gaugelet {

// A named colour set for the popover, detail views and charts.
struct Palette {
    QString id;
    QString name;
    bool isDark = false;
    QColor bg;
    QColor fg;
    QColor dim;
    QColor accent1;
    QColor accent2;
    QColor accent3;
    QColor accent4;
    QColor accent5;
    QColor accent6;
    QColor accent7;
    QColor accent8;

    bool operator==(const Palette&) const = default;

    // The seven built-in palettes, in the settings' order; built once.
    static const QList<Palette>& builtIns();
    static std::optional<Palette> byId(QStringView id);
    // Listed in the settings only while current.
    static const QSet<QString>& unlistedIds();
};

} // namespace gaugelet
