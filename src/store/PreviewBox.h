#pragma once

#include "platform/desktop/AudioPlayer.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTemporaryFile>
#include <QTimer>
#include <functional>
#include <memory>

namespace gaugelet {

// The playback state of one sound-pack preview: whether it plays, its audio
// player (made on the first tap) and the player's end-of-playback watcher.
// Main thread only.
class PreviewBox : public QObject {
    Q_OBJECT

public:
    // Tells the box when its player has finished on its own. Made only with
    // the action to run; the action runs on the main thread.
    class PlayerDelegate : public QObject {
    public:
        PlayerDelegate() = delete;
        explicit PlayerDelegate(std::function<void()> onFinish, QObject* parent = nullptr);

        const std::function<void()>& onFinish() const { return m_onFinish; }
        // Starts watching a player that was asked to play; runs the action
        // once when it stops playing by itself.
        void watch(std::shared_ptr<AudioPlayer> player);
        void unwatch();

    private:
        std::function<void()> m_onFinish;
        std::weak_ptr<AudioPlayer> m_player;
        QTimer m_poll;
    };

    explicit PreviewBox(QObject* parent = nullptr);

    bool isPlaying() const { return m_isPlaying; }
    void setIsPlaying(bool playing);
    const std::shared_ptr<AudioPlayer>& player() const { return m_player; }
    PlayerDelegate* delegate() const { return m_delegate; }

    // The preview button's action: stops a playing sound, else (making the
    // player from the bytes on first use) plays from the start.
    void toggle(const QByteArray& audioBytes);

Q_SIGNALS:
    void objectWillChange();
    void isPlayingChanged(bool playing);

private:
    bool m_isPlaying = false;
    std::shared_ptr<AudioPlayer> m_player;
    QPointer<PlayerDelegate> m_delegate;
    // The decoder reads files, so the bytes are handed to it through a
    // private temporary file that lives as long as the box.
    std::unique_ptr<QTemporaryFile> m_file;
};

} // namespace gaugelet
