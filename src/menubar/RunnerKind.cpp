#include "menubar/RunnerKind.h"

#include <QHash>
#include <algorithm>

namespace gaugelet {

namespace {

const QString kAssetsFolder = QStringLiteral("assets/");
const QString kFrameSuffix = QStringLiteral(".png");

RunnerKind makeKind(QString id, QString displayName, const RunnerSprites::Sprite& payload,
                    const QString& bundleFolder)
{
    RunnerKind kind;
    kind.id = std::move(id);
    kind.displayName = std::move(displayName);
    kind.frameCount = std::max<qint64>(payload.frameCount, 0);
    kind.defaultSize = payload.defaultSize;
    kind.assetPrefix = payload.framePrefix;
    kind.assetSource = RunnerKind::Source::directory(bundleFolder);
    kind.fallbackSymbols = RunnerKind::sharedFallbackSymbols();
    return kind;
}

} // namespace

const QStringList& RunnerKind::sharedFallbackSymbols()
{
    static const QStringList symbols{QStringLiteral("figure.walk"), QStringLiteral("figure.run")};
    return symbols;
}

QList<RunnerKind> RunnerKind::kinds(const RunnerSprites& bundle, const QString& bundleFolder)
{
    QList<RunnerKind> result;
    if (bundle.sprites) {
        for (const RunnerSprites::Sprite& entry : *bundle.sprites) {
            if (!entry.id || !entry.displayName || !isSafeAssetPrefix(entry.framePrefix))
                continue;
            result.append(makeKind(*entry.id, *entry.displayName, entry, bundleFolder));
        }
    } else if (bundle.sprite && isSafeAssetPrefix(bundle.sprite->framePrefix)) {
        result.append(makeKind(bundle.bundleId, bundle.bundleName, *bundle.sprite, bundleFolder));
    }
    return result;
}

QString RunnerKind::framePath(const QString& prefix, qint64 index)
{
    return kAssetsFolder + frameAssetName(prefix, index) + kFrameSuffix;
}

QString RunnerKind::frameAssetName(const QString& prefix, qint64 index)
{
    return prefix + u'_' + QString::number(index);
}

std::optional<qint64> RunnerKind::frameIndex(QStringView path, const QString& prefix, qint64 frameCount)
{
    const qsizetype head = kAssetsFolder.size() + prefix.size() + 1;
    if (path.size() <= head + kFrameSuffix.size() || !path.startsWith(kAssetsFolder)
        || path.mid(kAssetsFolder.size(), prefix.size()) != prefix || path[head - 1] != u'_'
        || !path.endsWith(kFrameSuffix))
        return std::nullopt;
    const QStringView digits = path.mid(head, path.size() - head - kFrameSuffix.size());
    // Written as QString::number writes it: ASCII digits, no sign, no leading zero.
    if (digits.size() > 18 || (digits.size() > 1 && digits[0] == u'0'))
        return std::nullopt;
    qint64 index = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        index = index * 10 + (c.unicode() - u'0');
    }
    if (index >= frameCount)
        return std::nullopt;
    return index;
}

bool RunnerKind::isSafeAssetPrefix(const QString& prefix)
{
    // The frame path "assets/" + prefix + "_" + i + ".png" as an archive
    // member name: its first piece is "assets" and its last ends in ".png",
    // so only the pieces the prefix opens before its last slash can be empty,
    // "." or "..".
    if (prefix.contains(QChar(u'\0')))
        return false;
    const QList<QStringView> pieces = QStringView(prefix).split(u'/');
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        const QStringView piece = pieces[i];
        if (piece.isEmpty() || piece == u"." || piece == u"..")
            return false;
    }
    return true;
}

size_t qHash(const RunnerKind::Source& source, size_t seed)
{
    return qHashMulti(seed, int(source.kind), source.url);
}

size_t qHash(const RunnerKind& kind, size_t seed)
{
    return qHashMulti(seed, kind.id, kind.displayName, kind.frameCount, kind.defaultSize, kind.assetPrefix,
                      kind.assetSource, kind.fallbackSymbols);
}

} // namespace gaugelet
