#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace gaugelet {

// What a runner-sprite bundle says about the sprites it carries: the bundle's
// own id and name, and either one sprite or a list of named ones. The menu bar
// builds runner kinds from it; the content store fills it from a bundle's
// manifest, so the menu bar needs nothing of the store.
struct RunnerSprites {
    // One animated runner sprite kind.
    struct Sprite {
        qint64 frameCount = 0;
        double defaultSize = 0;
        QString framePrefix;
        std::optional<QString> id;
        std::optional<QString> displayName;
        bool operator==(const Sprite&) const = default;
    };

    QString bundleId;
    QString bundleName;
    std::optional<Sprite> sprite;
    std::optional<QList<Sprite>> sprites;

    bool operator==(const RunnerSprites&) const = default;
};

} // namespace gaugelet
