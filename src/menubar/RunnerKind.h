#pragma once

#include "menubar/RunnerSprites.h"

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace gaugelet {

// One kind of runner sprite: its id and name, how many frames it has, its
// default size and where its frame images come from. Kinds are built from
// installed runner-sprite bundles; the runner visualizer of a kind has the id
// "viz.runner." + id.
struct RunnerKind {
    // Where the frame images are read from.
    struct Source {
        enum class Kind { directory, xcassets };
        Kind kind = Kind::directory;
        // directory: the installed bundle's folder.
        QString url;

        static Source directory(QString folder) { return {Kind::directory, std::move(folder)}; }
        static Source xcassets() { return {Kind::xcassets, {}}; }
        bool operator==(const Source&) const = default;
    };

    QString id;
    QString displayName;
    qint64 frameCount = 0; // at least 0
    double defaultSize = 0; // points
    QString assetPrefix;
    Source assetSource;
    QStringList fallbackSymbols;

    bool operator==(const RunnerKind&) const = default;

    // The symbols drawn for missing frames of every kind built from a bundle.
    static const QStringList& sharedFallbackSymbols();

    // The kinds of one installed runner-sprite bundle, in manifest order: one
    // per entry of `sprites` with both an id and a name when that list is
    // present, else one from `sprite` carrying the bundle's own id and name,
    // else none. A payload whose frame files could not be
    // named inside the bundle's "assets/" folder (see isSafeAssetPrefix) gives
    // no kind, so no file outside the bundle folder is ever read. A negative
    // frame count counts as 0. No side effects, no failure.
    static QList<RunnerKind> kinds(const RunnerSprites& bundle, const QString& bundleFolder);

    // The relative path of frame i: "assets/" + prefix + "_" + i + ".png".
    static QString framePath(const QString& prefix, qint64 index);
    // The application image asset of frame i: prefix + "_" + i.
    static QString frameAssetName(const QString& prefix, qint64 index);
    // The frame number that a relative path names for this prefix: the
    // decimal number (no sign, no leading zeros) of a path formed exactly as
    // framePath forms it, when it is below frameCount; else none.
    static std::optional<qint64> frameIndex(QStringView path, const QString& prefix, qint64 frameCount);
    // Whether every frame path of the prefix is a well-formed archive member
    // name: no NUL, no empty, "." or ".." piece between slashes.
    static bool isSafeAssetPrefix(const QString& prefix);
};

size_t qHash(const RunnerKind::Source& source, size_t seed = 0);
size_t qHash(const RunnerKind& kind, size_t seed = 0);

} // namespace gaugelet
