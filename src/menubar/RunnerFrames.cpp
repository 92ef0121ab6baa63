#include "menubar/RunnerFrames.h"

#include "platform/core/FileSystem.h"
#include "platform/core/MainThread.h"
#include "platform/core/Resources.h"
#include "platform/style/SystemSymbol.h"

#include <QDir>
#include <algorithm>
#include <map>

namespace gaugelet {

namespace {

// Images drawn for missing frames, in pixels.
constexpr int fallbackSymbolSide = 44;

// Frame numbers at or above this are not loaded. The list of frames is as
// long as the highest frame number found, so without a bound one file named
// with a huge number would ask for billions of slots.
constexpr qint64 maxLoadedFrames = 4096;

// The frame files of a kind found in one folder, by frame number. Only names
// that framePath would form for a number below frameCount count, so a huge
// frameCount costs no more than the folder's listing.
std::map<qint64, QString> frameFiles(const QString& root, const QString& prefix, qint64 frameCount)
{
    std::map<qint64, QString> files;
    if (frameCount <= 0 || root.isEmpty())
        return files;
    // The frames' own folder inside the root: "assets/" plus whatever folders
    // the prefix names.
    const QString first = RunnerKind::framePath(prefix, 0);
    const QString relativeDir = first.left(first.lastIndexOf(u'/') + 1);
    auto names = FileSystem::listDirectory(QDir(root).filePath(relativeDir));
    if (!names)
        return files;
    for (const QString& name : *names) {
        const QString relative = relativeDir + name;
        if (auto index = RunnerKind::frameIndex(relative, prefix, frameCount))
            files.emplace(*index, QDir(root).filePath(relative));
    }
    return files;
}

QImage decode(const QString& file)
{
    auto bytes = FileSystem::readFile(file);
    if (!bytes)
        return {};
    return QImage::fromData(*bytes);
}

} // namespace

QList<std::optional<QImage>> RunnerFrames::loadImages(const RunnerKind& kind)
{
    QList<std::optional<QImage>> images;
    if (kind.frameCount <= 0 || !RunnerKind::isSafeAssetPrefix(kind.assetPrefix))
        return images;
    std::map<qint64, QString> files;
    switch (kind.assetSource.kind) {
    case RunnerKind::Source::Kind::directory:
        files = frameFiles(kind.assetSource.url, kind.assetPrefix, std::min(kind.frameCount, maxLoadedFrames));
        break;
    case RunnerKind::Source::Kind::xcassets:
        // The application's own frame images, laid out among the resources
        // as in a bundle: "assets/<prefix>_<i>.png".
        files = frameFiles(Resources::dir(), kind.assetPrefix, std::min(kind.frameCount, maxLoadedFrames));
        break;
    }
    if (files.empty())
        return images;
    images.resize(qsizetype(files.rbegin()->first) + 1);
    for (const auto& [index, path] : files) {
        QImage image = decode(path);
        if (!image.isNull())
            images[qsizetype(index)] = std::move(image);
    }
    // Trailing slots whose file did not decode are dropped like unlisted ones.
    while (!images.isEmpty() && !images.last())
        images.removeLast();
    return images;
}

RunnerFrames::RunnerFrames(RunnerKind kind)
    : m_kind(std::move(kind)), m_fallbackSymbols(m_kind.fallbackSymbols)
{
}

const RunnerFrames::Images& RunnerFrames::loaded() const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_images)
        return *m_images;
    auto images = std::make_unique<Images>();
    images->cached = loadImages(m_kind);

    QList<std::optional<QImage>> bitmaps;
    bitmaps.reserve(images->cached.size());
    std::optional<QRect> unionBox;
    for (const std::optional<QImage>& image : images->cached) {
        if (!image) {
            bitmaps.append(std::nullopt);
            continue;
        }
        QImage bitmap = image->convertToFormat(QImage::Format_ARGB32_Premultiplied);
        bitmap.setDevicePixelRatio(1.0);
        if (auto box = opaqueBox(bitmap))
            unionBox = unionBox ? unionBox->united(*box) : *box;
        bitmaps.append(std::move(bitmap));
    }
    if (unionBox) {
        // One box for all frames: every frame keeps the same size and
        // alignment (a smaller frame is padded with transparent pixels).
        for (std::optional<QImage>& bitmap : bitmaps)
            if (bitmap)
                bitmap = bitmap->copy(*unionBox);
    }
    images->croppedCG = std::move(bitmaps);
    images->verticalBias = measureVerticalBias(images->croppedCG);
    m_images = std::move(images);
    return *m_images;
}

QImage RunnerFrames::image(qint64 frameNumber) const
{
    if (m_kind.frameCount <= 0 || frameNumber < 0)
        return {};
    const qint64 index = frameNumber % m_kind.frameCount;
    const QList<std::optional<QImage>>& frames = cached();
    if (index < frames.size() && frames[qsizetype(index)])
        return *frames[qsizetype(index)];
    if (m_fallbackSymbols.isEmpty())
        return {};
    return SystemSymbol::image(m_fallbackSymbols[qsizetype(index % m_fallbackSymbols.size())], fallbackSymbolSide);
}

std::optional<QRect> RunnerFrames::opaqueBox(const QImage& source)
{
    if (source.width() < 1 || source.height() < 1)
        return std::nullopt;
    const QImage bitmap = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    int left = bitmap.width(), top = -1, right = -1, bottom = -1;
    for (int y = 0; y < bitmap.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(bitmap.constScanLine(y));
        for (int x = 0; x < bitmap.width(); ++x) {
            if (qAlpha(row[x]) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            if (top < 0)
                top = y;
            bottom = y;
        }
    }
    if (top < 0)
        return std::nullopt;
    return QRect(left, top, right - left + 1, bottom - top + 1);
}

double RunnerFrames::measureVerticalBias(const QList<std::optional<QImage>>& bitmaps)
{
    double totalA = 0;
    double totalAY = 0;
    int lastW = 0;
    int lastH = 0;
    for (const std::optional<QImage>& source : bitmaps) {
        if (!source || source->width() < 1 || source->height() < 1)
            continue;
        const QImage bitmap = source->convertToFormat(QImage::Format_ARGB32_Premultiplied);
        quint64 a = 0;
        quint64 ay = 0;
        for (int y = 0; y < bitmap.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(bitmap.constScanLine(y));
            quint64 rowA = 0;
            for (int x = 0; x < bitmap.width(); ++x)
                rowA += quint64(qAlpha(row[x]));
            a += rowA;
            ay += rowA * quint64(y);
        }
        if (a == 0)
            continue;
        totalA += double(a);
        totalAY += double(ay);
        lastW = bitmap.width();
        lastH = bitmap.height();
    }
    if (!(totalA > 0) || lastH < 1)
        return 0.0;
    return (totalAY / totalA - lastH * 0.5) / double(std::max(lastH, lastW));
}

} // namespace gaugelet
