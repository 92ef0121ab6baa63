#pragma once

#include "menubar/VisualizerSizeSetting.h"

#include <QString>
#include <QWidget>

class QLabel;
class QSlider;

namespace gaugelet {

// The shared body of the size settings of the number label and the pie:
// "Size", a slider in whole points and the size as "22pt". It reads
// "visualizer.<id>.size" whenever it is shown and, on every change by the
// user, writes the new size as a double there and posts
// "<notificationPrefix><id>" on the default notification centre.
class SizeSliderConfigView : public QWidget {
    Q_OBJECT
public:
    using Range = VisualizerSizeSetting::Range;

    SizeSliderConfigView(const QString& visualizerId, Range range, const QString& notificationPrefix,
                         QWidget* parent = nullptr);

    QString visualizerId() const { return m_visualizerId; }
    double size() const { return m_size; }
    // The user's change: writes and posts (as a slider move does).
    void setSize(double size);

    QSlider* slider() const { return m_slider; }
    QLabel* valueLabel() const { return m_valueLabel; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void reload();
    void showSize();

    QString m_visualizerId;
    Range m_range;
    QString m_notificationName;
    double m_size;
    QSlider* m_slider = nullptr;
    QLabel* m_valueLabel = nullptr;
};

} // namespace gaugelet
