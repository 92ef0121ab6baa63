#pragma once

#include <QObject>

#include <functional>

namespace gaugelet {

// "Update once per turn": any number of requests in one turn of the event
// loop run the action once, on the next turn. The action runs only while the
// coalescer (a child of its view) exists, so a view deleted in the meantime is
// never touched. The action runs after the other work queued for that turn,
// so a change announced there by another once-per-turn signal (the settings
// groups) joins the same run instead of asking for another.
class TurnCoalescer : public QObject {
    Q_OBJECT
public:
    TurnCoalescer(QObject* parent, std::function<void()> action);

    // Asks for the action on the next turn (once, however often asked).
    void request();
    bool isPending() const { return m_pending; }
    // Runs a pending action now instead of on the next turn.
    void flush();
    // Drops a pending action (the view brought itself up to date another way).
    void cancel() { m_pending = false; }

protected:
    bool event(QEvent* event) override;

private:
    void run();

    std::function<void()> m_action;
    bool m_pending = false;
};

} // namespace gaugelet
