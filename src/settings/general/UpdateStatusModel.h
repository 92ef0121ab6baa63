#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>

namespace gaugelet {

class SparkleUpdater;

// What the General tab's Updates block shows, from the update bridge's
// published fields: the status text and its tone, the "checked …" note and
// which buttons work. Holds no state of its own. Main thread.
class UpdateStatusModel : public QObject {
    Q_OBJECT
public:
    // plain: secondary text; error: the feed's error, in red and wrapping;
    // available: the offered version, in the link colour.
    enum class Tone { plain, error, available };

    struct Status {
        QString text;
        Tone tone = Tone::plain;
        QString checked; // "· checked 5 minutes ago", or empty when not shown
        bool checking = false;
        QString checkTitle;
        bool canCheck = false;
        bool canInstall = false;
        // The note on when the program contacts the update server.
        bool explainsChecks = false;

        bool operator==(const Status&) const = default;
    };

    // updater: the update bridge (not owned); none shows "Not yet checked"
    // with every button off.
    explicit UpdateStatusModel(SparkleUpdater* updater, QObject* parent = nullptr);

    // The block as it reads at `now` (which the "checked" note is relative to).
    Status status(const QDateTime& now) const;

    // The buttons' actions.
    void checkNow();
    void installUpdate();

Q_SIGNALS:
    // One of the bridge's fields changed; once per change, not coalesced.
    void changed();

private:
    QPointer<SparkleUpdater> m_updater;
};

} // namespace gaugelet
