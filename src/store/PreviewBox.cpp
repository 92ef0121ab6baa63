#include "store/PreviewBox.h"

#include "platform/core/MainThread.h"
#include "platform/core/Publish.h"

namespace gaugelet {

PreviewBox::PlayerDelegate::PlayerDelegate(std::function<void()> onFinish, QObject* parent)
    : QObject(parent), m_onFinish(std::move(onFinish))
{
    m_poll.setInterval(50);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        auto player = m_player.lock();
        if (player && player->isPlaying())
            return;
        m_poll.stop();
        m_player.reset();
        if (m_onFinish)
            m_onFinish();
    });
}

void PreviewBox::PlayerDelegate::watch(std::shared_ptr<AudioPlayer> player)
{
    m_player = player;
    m_poll.start();
}

void PreviewBox::PlayerDelegate::unwatch()
{
    m_poll.stop();
    m_player.reset();
}

PreviewBox::PreviewBox(QObject* parent) : QObject(parent) {}

void PreviewBox::setIsPlaying(bool playing)
{
    publishIfChanged(this, m_isPlaying, playing, &PreviewBox::isPlayingChanged);
}

void PreviewBox::toggle(const QByteArray& audioBytes)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (m_player && m_player->isPlaying()) {
        m_player->stop();
        if (m_delegate)
            m_delegate->unwatch();
        setIsPlaying(false);
        return;
    }
    if (!m_player) {
        if (!m_file) {
            m_file = std::make_unique<QTemporaryFile>();
            if (m_file->open()) {
                m_file->write(audioBytes);
                m_file->flush();
            }
        }
        if (auto created = AudioPlayer::create(m_file->fileName()))
            m_player = *created;
        if (!m_delegate) {
            QPointer<PreviewBox> weak(this);
            m_delegate = new PlayerDelegate(
                [weak] {
                    if (weak)
                        weak->setIsPlaying(false);
                },
                this);
        }
        if (m_player)
            m_player->prepareToPlay();
    }
    if (m_player) {
        m_player->setCurrentTime(0);
        m_player->play();
        if (m_player->isPlaying()) {
            setIsPlaying(true);
            m_delegate->watch(m_player);
        }
    }
}

} // namespace gaugelet
