#pragma once

#include <QFrame>

namespace gaugelet {

// One section of the alarms pane's grouped form: a rounded panel on the
// window background, drawn from the design's colours in light and dark.
class AlarmFormSection : public QFrame {
    Q_OBJECT
public:
    explicit AlarmFormSection(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace gaugelet
