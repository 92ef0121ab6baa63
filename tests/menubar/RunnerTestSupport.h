#pragma once

// Frame files on disk for the runner tests: hand-made PNG frames in a
// temporary bundle folder, and the shipped packs unpacked by the zip tool.

#include "menubar/RunnerKind.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QColor>
#include <QFileInfo>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace gaugelet::test::runner {

// A transparent w × h PNG with one opaque rectangle (none when rect is empty).
inline QByteArray framePng(QSize size, QRect opaque, QColor colour = QColor(200, 120, 40))
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (!opaque.isEmpty()) {
        QPainter p(&image);
        p.fillRect(opaque, colour);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A bundle folder with frames written under "assets/".
struct BundleFolder {
    QTemporaryDir dir;

    QString path() const { return dir.path(); }
    void writeFrame(const QString& prefix, int index, QSize size, QRect opaque, QColor colour = QColor(200, 120, 40))
    {
        const QString file = dir.filePath(RunnerKind::framePath(prefix, index));
        QDir().mkpath(QFileInfo(file).absolutePath());
        writeFile(file, framePng(size, opaque, colour));
    }
    RunnerKind kind(const QString& prefix, qint64 frameCount, double defaultSize = 22) const
    {
        RunnerKind k;
        k.id = prefix;
        k.displayName = prefix.toUpper();
        k.frameCount = frameCount;
        k.defaultSize = defaultSize;
        k.assetPrefix = prefix;
        k.assetSource = RunnerKind::Source::directory(path());
        k.fallbackSymbols = RunnerKind::sharedFallbackSymbols();
        return k;
    }
};

// A shipped pack ("fox", "hare", "piglet") unpacked by the zip tool into a
// folder of its own, and its kind as the pack's manifest describes it
// (8 frames, prefix = id, 22 points).
struct ShippedPack {
    explicit ShippedPack(const QString& packId) : id(packId)
    {
        const QString archive = QStringLiteral(GAUGELET_SOURCE_DIR "/resources/StoreAssets/") + id + QStringLiteral(".gaugebundle");
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-q"), archive, QStringLiteral("-d"), dir.path()});
        ok = unzip.waitForFinished(30000) && unzip.exitStatus() == QProcess::NormalExit && unzip.exitCode() == 0;
    }
    RunnerKind kind() const
    {
        RunnerKind k;
        k.id = id;
        k.displayName = id;
        k.frameCount = 8;
        k.defaultSize = 22;
        k.assetPrefix = id;
        k.assetSource = RunnerKind::Source::directory(dir.path());
        k.fallbackSymbols = RunnerKind::sharedFallbackSymbols();
        return k;
    }

    QString id;
    QTemporaryDir dir;
    bool ok = false;
};

} // namespace gaugelet::test::runner
