#pragma once

#include "platform/Ed25519PublicKey.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace gaugelet::test {

// A throwaway Ed25519 key pair made and used by another implementation
// (Debian's python3-nacl, run with /usr/bin/python3), so the verifier is
// checked against an independent signer.
struct NaclKeyPair {
    QByteArray seedHex;
    QByteArray publicKeyHex;

    static NaclKeyPair generate();
    // One pair per test program for the common case, and a second one.
    static const NaclKeyPair& shared();
    static const NaclKeyPair& other();

    Ed25519PublicKey publicKey() const;
    QByteArray sign(const QByteArray& message) const;
};

// Makes the store key a test key for the length of a scope.
class ScopedStoreKey {
public:
    explicit ScopedStoreKey(const NaclKeyPair& pair);
    ~ScopedStoreKey();
};

using Members = QList<QPair<QString, QByteArray>>;

// An archive made by the zip tool from the given members, in order.
// zipOptions default to stored members without folder records.
QByteArray zipArchive(const Members& members, const QStringList& zipOptions = {QStringLiteral("-0")});

// A manifest object with every required key; tests change what they need.
QJsonObject manifestObject(const QString& id, const Members& assets);
QByteArray manifestBytes(const QJsonObject& manifest);

// A complete signed bundle archive: manifest, signature and assets.
QByteArray signedBundle(const NaclKeyPair& pair, const QByteArray& manifestJson, const Members& assets);
QByteArray signedBundle(const NaclKeyPair& pair, const QString& id, const Members& assets);

QByteArray runPython(const QString& script, const QByteArray& input = {});

} // namespace gaugelet::test

namespace gaugelet::test {

// Collects the program's log lines for the length of a scope.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString& fragment) const;
};

} // namespace gaugelet::test
