#pragma once

#include "menubar/Visualizer.h"

#include <QAbstractButton>
#include <QString>

class QLabel;

namespace gaugelet {

class SpriteThumb;

// One provider in the sprite section's column: the thumbnail of its pinned
// runner (or a paw print), its name and its id, highlighted while it is the
// provider shown in the detail pane.
class ProviderColumnRow : public QAbstractButton {
    Q_OBJECT
public:
    ProviderColumnRow(const QString& providerId, const QString& displayName, QWidget* parent = nullptr);

    QString providerId() const { return m_providerId; }
    bool highlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);
    SpriteThumb* thumb() const { return m_thumb; }
    QLabel* nameLabel() const { return m_name; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_providerId;
    bool m_highlighted = false;
    SpriteThumb* m_thumb = nullptr;
    QLabel* m_name = nullptr;
};

} // namespace gaugelet
