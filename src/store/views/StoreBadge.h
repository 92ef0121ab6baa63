#pragma once

#include <QColor>
#include <QWidget>

namespace gaugelet {

// A small badge beside the name of a catalogue item:
// - newItem: "NEW" in bold white on a capsule of the accent colour, for an
//   item released lately and not yet seen;
// - adultContent: "18+ NSFW" in the adult-content colour inside a thin
//   rounded outline of the same colour, read out as "Contains adult content,
//   18 plus".
class StoreBadge : public QWidget {
    Q_OBJECT

public:
    enum class Kind { newItem, adultContent };

    explicit StoreBadge(Kind kind, QWidget* parent = nullptr);

    // The one adult-content colour, shared by every row.
    static const QColor& adultContentColour();

    Kind kind() const { return m_kind; }
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
};

} // namespace gaugelet
