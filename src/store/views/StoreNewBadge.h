#pragma once

#include <QWidget>

namespace gaugelet {

// "NEW" in bold white on a capsule of the accent colour, beside the name of a
// catalogue item released lately and not yet seen.
class StoreNewBadge : public QWidget {
    Q_OBJECT

public:
    explicit StoreNewBadge(QWidget* parent = nullptr);

    QString text() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace gaugelet
