#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QSlider;

namespace gaugelet {

// A form row of a slider: its title, a slider over [low, high] in steps of
// one (taking the wheel only with focus), and the value text at the trailing
// end in a value label, as wide as the widest text of a position of the
// slider's range (`positionText`, measured again when the range changes).
class SliderRow : public QWidget {
    Q_OBJECT
public:
    SliderRow(const QString& title, int low, int high, std::function<QString(int)> positionText,
              QWidget* parent = nullptr);

    QLabel* titleLabel() const { return m_title; }
    QSlider* slider() const { return m_slider; }
    QLabel* valueLabel() const { return m_value; }

    // Shows a stored value: the slider at position unless the user is
    // dragging it (without reporting), and the value text.
    void showValue(int position, const QString& text);

private:
    QLabel* m_title = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_value = nullptr;
};

} // namespace gaugelet
