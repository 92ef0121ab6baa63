#pragma once

#include "platform/core/RawValueTable.h"
#include "platform/core/Result.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QUrl>
#include <memory>
#include <optional>

namespace gaugelet {

class KillSwitchFetcher;
class KillSwitchCache;

// The version gate: once per launch, before any window exists, decides from a
// small remote JSON document whether this build may run, must update, or must
// stop. The last document that decoded is kept with its fetch time; when the
// network or the document fails, a kept copy younger than a day decides, and
// without one the program runs. Builds whose version contains "-dev" are never
// gated. The gate only decides and logs; the application shows the verdict.
class KillSwitch {
public:
    KillSwitch() = delete;

    enum class Channel { alpha, release };

    // The decoded gate document. Every field is optional.
    struct Payload {
        std::optional<bool> live;
        std::optional<bool> alpha;
        std::optional<QString> minVersion;
        std::optional<QString> message;
        std::optional<QString> linkURL;
        std::optional<QString> linkLabel;
        std::optional<QString> author;

        bool operator==(const Payload&) const = default;

        struct DecodeError {
            enum class Kind { tooLarge, notJSON, notObject, wrongType };
            Kind kind = Kind::notJSON;
            QString key;    // wrongType: the first key with a value of another type
            QString detail; // notJSON: the parser's message
            QString describe() const;
        };

        // A JSON object; null counts as absent, other keys are ignored, a key
        // with a value of another type makes the whole document malformed.
        static Result<Payload, DecodeError> decode(const QByteArray& body);
    };

    // The optional extra button of the gate's alerts.
    struct ForwardLink {
        QUrl url;      // http or https only
        QString label; // never empty
        bool operator==(const ForwardLink&) const = default;
    };

    struct Verdict {
        enum class Kind { terminate, forceUpdate, allow };
        Kind kind = Kind::allow;
        QString message;    // terminate, forceUpdate
        QString minVersion; // forceUpdate
        std::optional<ForwardLink> link; // terminate, forceUpdate

        static Verdict terminate(QString message, std::optional<ForwardLink> link);
        static Verdict forceUpdate(QString message, QString minVersion, std::optional<ForwardLink> link);
        static Verdict allow();

        bool operator==(const Verdict&) const = default;
    };

    // The inputs of one gate run.
    struct Env {
        Channel channel = Channel::alpha;
        QDateTime now; // the one clock reading of the run
        QString currentVersion;
        std::shared_ptr<KillSwitchFetcher> fetcher;
        std::shared_ptr<KillSwitchCache> cache;
    };

    static constexpr double fetchTimeoutSeconds = 3.0;
    static constexpr double cacheLifetimeSeconds = 86400.0;
    // A gate document or kept copy longer than this is malformed.
    static constexpr qint64 maxDocumentBytes = 1024 * 1024;

    // Blocks the calling (main) thread for at most the fetch time-out plus
    // 0.5 s, plus decoding. Never fails: every failure ends in a verdict.
    static Verdict checkBlocking(const Env& env);

    // The running build's short version, "0.0.0" when it has none.
    static QString bundleVersion();

    // The gate document's address (a build setting); empty when not configured,
    // which the fetch reports as a failure.
    static QUrl configURL();

    static Verdict evaluate(const Payload& payload, const Env& env);
    static std::optional<ForwardLink> forwardLink(const Payload& payload);
    static Verdict verdictFromCache(const Env& env);
};

constexpr auto rawValueTable(KillSwitch::Channel)
{
    using enum KillSwitch::Channel;
    return makeRawValueTable<KillSwitch::Channel>({{alpha, u"alpha"}, {release, u"release"}}, release);
}
inline std::optional<KillSwitch::Channel> channelFromRaw(QStringView raw)
{
    return enumFromRaw<KillSwitch::Channel>(raw);
}

} // namespace gaugelet
