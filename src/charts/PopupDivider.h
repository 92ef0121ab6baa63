#pragma once

#include <QWidget>

namespace gaugelet {

// A thin horizontal rule in the separator colour.
class PopupDivider : public QWidget {
    Q_OBJECT
public:
    explicit PopupDivider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace gaugelet
