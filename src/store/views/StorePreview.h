#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace gaugelet {

// A store row's preview of a bundle, type-erased. It is a description, not a
// widget: each store row that shows it asks for a fresh widget, so a preview
// cached by the coordinator can be shown again by a store tab that was closed
// and opened anew. Main thread only.
class StorePreview {
public:
    using Factory = std::function<QWidget*(QWidget* parent)>;

    // kind names the concrete view ("SoundPackPreview", "RunnerSpritePreview"),
    // for logs and tests.
    StorePreview(QString kind, Factory factory);

    const QString& kind() const { return m_kind; }
    // A new widget showing the preview, owned by parent (or the caller).
    QWidget* makeWidget(QWidget* parent = nullptr) const;

private:
    QString m_kind;
    Factory m_factory;
};

} // namespace gaugelet
