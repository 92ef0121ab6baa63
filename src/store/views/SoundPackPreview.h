#pragma once

#include "store/PreviewBox.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QString>

namespace gaugelet {

// A sound pack's store-row preview: one play/stop button that plays the
// pack's first sound from the downloaded archive. Main thread only.
class SoundPackPreview : public QAbstractButton {
    Q_OBJECT

public:
    SoundPackPreview(QString displayName, QByteArray audioBytes, QWidget* parent = nullptr);

    const QString& displayName() const { return m_displayName; }
    const QByteArray& audioBytes() const { return m_audioBytes; }
    PreviewBox* box() const { return m_box; }
    // "play.fill" while not playing, "stop.fill" while playing.
    QString symbolName() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A preview plays only while it can be seen: hiding it stops the sound.
    void hideEvent(QHideEvent* event) override;

private:
    QString m_displayName;
    QByteArray m_audioBytes;
    PreviewBox* m_box;
};

} // namespace gaugelet
