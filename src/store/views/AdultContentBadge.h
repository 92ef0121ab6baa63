#pragma once

#include <QColor>
#include <QWidget>

namespace gaugelet {

// "18+ NSFW" in the badge colour inside a thin rounded outline of the same
// colour, beside the name of an adult-content catalogue item. Read out as
// "Contains adult content, 18 plus".
class AdultContentBadge : public QWidget {
    Q_OBJECT

public:
    explicit AdultContentBadge(QWidget* parent = nullptr);

    // The one badge colour, shared by every row.
    static const QColor& badgeColour();
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace gaugelet
