#pragma once

#include <QList>
#include <QString>
#include <QWidget>
#include <utility>

class QLabel;

namespace gaugelet {

// The About section's strip of figures: each a large value over its caption,
// side by side with a vertical divider between them.
class AboutFigures : public QWidget {
    Q_OBJECT
public:
    // Each figure as (value, caption).
    explicit AboutFigures(const QList<std::pair<QString, QString>>& figures, QWidget* parent = nullptr);

    // The value labels, in order (objectName "figureValue<i>").
    QList<QLabel*> values() const { return m_values; }
    // The caption labels, in order; they are secondary text.
    QList<QLabel*> captions() const { return m_captions; }

private:
    QList<QLabel*> m_values;
    QList<QLabel*> m_captions;
};

} // namespace gaugelet
