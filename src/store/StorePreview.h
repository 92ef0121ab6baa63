#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <variant>

namespace gaugelet {

// A store row's preview of a bundle: a description, not a widget. Each store
// row that shows it asks StorePreviewViews for a fresh widget, so a preview
// cached by the coordinator can be shown again by a store tab that was closed
// and opened anew.
class StorePreview {
public:
    // A runner sprite's frames, one cycle of them lasting cycleDuration seconds.
    struct RunnerSprite {
        QList<QImage> frames;
        double cycleDuration = 1.0;
    };
    // A sound pack's first sound: its name and the bytes of its audio file.
    struct SoundPack {
        QString displayName;
        QByteArray audioBytes;
    };
    using Content = std::variant<std::monostate, RunnerSprite, SoundPack>;

    // kind names the concrete view ("SoundPackPreview", "RunnerSpritePreview"),
    // for logs and tests; a preview with no content shows no widget.
    explicit StorePreview(QString kind, Content content = {});

    const QString& kind() const { return m_kind; }
    const Content& content() const { return m_content; }

private:
    QString m_kind;
    Content m_content;
};

} // namespace gaugelet
