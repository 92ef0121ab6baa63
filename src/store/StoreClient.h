#pragma once

#include "platform/core/Result.h"
#include "store/StoreItem.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <QCoro/QCoroTask>

namespace gaugelet {

// The store's backend: lists the catalogue and hands out bundle archives.
// Implemented by the remote client (the one the program uses) and the
// local-folder client. The coordinator holds one by pointer and awaits it from
// the main thread; an implementation may do its work off the main thread.
class StoreClient : public QObject {
    Q_OBJECT

public:
    // A failure of either operation, whatever its origin (a download, a file
    // read, an unknown item). The coordinator shows `text` in its error line.
    struct Error {
        // The error's own text rendering, e.g. `bundleNotShipped("fox")`.
        QString text;
        // The user-readable sentence, where the error supplies one.
        QString localizedDescription;

        QString describe() const { return text; }
        // What the user reads: the sentence where there is one, else the text.
        QString userText() const { return localizedDescription.isEmpty() ? text : localizedDescription; }
        bool operator==(const Error&) const = default;
    };

    using QObject::QObject;
    ~StoreClient() override = default;

    // The whole catalogue to show, in display order; published by the
    // coordinator exactly as returned.
    virtual QCoro::Task<Result<QList<StoreItem>, Error>> listAvailable() = 0;
    // The complete, unverified bytes of the item's bundle archive; callers
    // verify them (the preview) or have the installer verify them.
    virtual QCoro::Task<Result<QByteArray, Error>> fetchBundle(StoreItem item) = 0;
};

} // namespace gaugelet
