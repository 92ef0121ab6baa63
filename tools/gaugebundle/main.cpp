// gaugebundle: builds signed ".gaugebundle" archives and signs the store
// catalogue. See README.md beside this file.

#include "store/BundleManifest.h"
#include "store/ZipReader.h"
#include "storedzip/StoredZip.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSaveFile>
#include <QStringList>

#include <sodium.h>

#include <array>
#include <cstdio>

namespace {

int usage()
{
    std::fputs(
        "usage:\n"
        "  gaugebundle pack --template MANIFEST.json --assets DIR --seed SEEDFILE --out BUNDLE.gaugebundle\n"
        "  gaugebundle sign-catalogue --seed SEEDFILE --in CATALOGUE.json --out CATALOGUE.json.sig\n"
        "  gaugebundle public-key --seed SEEDFILE\n"
        "SEEDFILE holds a 32-byte Ed25519 seed as 64 hex digits (or the 32 raw bytes).\n",
        stderr);
    return 2;
}

[[noreturn]] void die(const QString& message)
{
    std::fprintf(stderr, "gaugebundle: %s\n", qPrintable(message));
    std::exit(1);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        die(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        die(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

struct KeyPair {
    std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> publicKey{};
    std::array<unsigned char, crypto_sign_SECRETKEYBYTES> secretKey{};
    ~KeyPair() { sodium_memzero(secretKey.data(), secretKey.size()); }
};

void loadKeyPair(const QString& seedPath, KeyPair& pair)
{
    QByteArray raw = readAll(seedPath);
    QByteArray seed;
    const QByteArray trimmed = raw.trimmed();
    if (trimmed.size() == 64) {
        seed.resize(32);
        size_t length = 0;
        if (sodium_hex2bin(reinterpret_cast<unsigned char*>(seed.data()), 32, trimmed.constData(), 64, nullptr,
                           &length, nullptr)
                != 0
            || length != 32)
            die(QStringLiteral("%1: not 64 hex digits").arg(seedPath));
    } else if (raw.size() == 32) {
        seed = raw;
    } else {
        die(QStringLiteral("%1: expected a 32-byte seed (64 hex digits)").arg(seedPath));
    }
    crypto_sign_seed_keypair(pair.publicKey.data(), pair.secretKey.data(),
                             reinterpret_cast<const unsigned char*>(seed.constData()));
    sodium_memzero(seed.data(), size_t(seed.size()));
    sodium_memzero(raw.data(), size_t(raw.size()));
}

QByteArray sign(const KeyPair& pair, const QByteArray& message)
{
    QByteArray signature(crypto_sign_BYTES, Qt::Uninitialized);
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(message.constData()), size_t(message.size()),
                         pair.secretKey.data());
    return signature;
}

QString sha256Hex(const QByteArray& bytes)
{
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()));
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), sizeof digest).toHex());
}

QMap<QString, QString> options(const QStringList& args, int from)
{
    QMap<QString, QString> map;
    // "--name value" pairs.
    for (int i = from; i < args.size(); i += 2) {
        if (!args[i].startsWith(QLatin1String("--")) || i + 1 >= args.size())
            die(QStringLiteral("unexpected argument %1").arg(args[i]));
        map.insert(args[i].mid(2), args[i + 1]);
    }
    return map;
}

QString need(const QMap<QString, QString>& opts, const char* name)
{
    const QString value = opts.value(QLatin1String(name));
    if (value.isEmpty())
        die(QStringLiteral("missing --%1").arg(QLatin1String(name)));
    return value;
}

int pack(const QMap<QString, QString>& opts)
{
    const QString templatePath = need(opts, "template");
    const QString assetsDir = need(opts, "assets");
    const QString out = need(opts, "out");
    KeyPair pair;
    loadKeyPair(need(opts, "seed"), pair);

    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(readAll(templatePath), &parseError);
    if (!document.isObject())
        die(QStringLiteral("%1: not a JSON object (%2)").arg(templatePath, parseError.errorString()));
    QJsonObject manifest = document.object();

    // Fill every listed asset's digest from the file under the assets folder.
    QList<QPair<QString, QByteArray>> members;
    QJsonArray assets;
    for (const QJsonValue& value : manifest.value(QStringLiteral("assets")).toArray()) {
        QJsonObject asset = value.toObject();
        const QString path = asset.value(QStringLiteral("path")).toString();
        if (auto valid = gaugelet::ZipReader::validatePath(path); !valid)
            die(QStringLiteral("asset path not allowed: %1").arg(valid.error().describe()));
        const QByteArray bytes = readAll(assetsDir + QLatin1Char('/') + path);
        asset.insert(QStringLiteral("sha256"), sha256Hex(bytes));
        assets.append(asset);
        members.append({path, bytes});
    }
    manifest.insert(QStringLiteral("assets"), assets);

    // The manifest is written once; these exact bytes are what is signed.
    const QByteArray manifestBytes = QJsonDocument(manifest).toJson(QJsonDocument::Indented);
    auto decoded = gaugelet::BundleManifest::decode(manifestBytes);
    if (!decoded)
        die(QStringLiteral("the manifest does not decode: %1").arg(decoded.error().describe()));
    if (decoded->schema != 1)
        die(QStringLiteral("schema must be 1"));

    members.prepend({QStringLiteral("manifest.sig"), sign(pair, manifestBytes)});
    members.prepend({QStringLiteral("manifest.json"), manifestBytes});
    auto archive = gaugelet::StoredZip::write(members);
    if (!archive)
        die(archive.error());
    writeAll(out, *archive);
    std::printf("%s: %s version %lld, %lld assets\n", qPrintable(out), qPrintable(decoded->id),
                static_cast<long long>(decoded->version), static_cast<long long>(decoded->assets.size()));
    return 0;
}

int signCatalogue(const QMap<QString, QString>& opts)
{
    KeyPair pair;
    loadKeyPair(need(opts, "seed"), pair);
    const QByteArray catalogue = readAll(need(opts, "in"));
    writeAll(need(opts, "out"), sign(pair, catalogue).toBase64());
    return 0;
}

int publicKey(const QMap<QString, QString>& opts)
{
    KeyPair pair;
    loadKeyPair(need(opts, "seed"), pair);
    std::printf("%s\n", QByteArray(reinterpret_cast<const char*>(pair.publicKey.data()), 32).toHex().constData());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (sodium_init() < 0)
        die(QStringLiteral("libsodium could not be initialised"));
    const QStringList args = app.arguments();
    if (args.size() < 2)
        return usage();
    const QString command = args[1];
    const auto opts = options(args, 2);
    if (command == QLatin1String("pack"))
        return pack(opts);
    if (command == QLatin1String("sign-catalogue"))
        return signCatalogue(opts);
    if (command == QLatin1String("public-key"))
        return publicKey(opts);
    return usage();
}
