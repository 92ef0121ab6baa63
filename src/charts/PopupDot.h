#pragma once

#include <QColor>
#include <QWidget>

namespace gaugelet {

// A filled circle in an 8 × 8 point frame: the coloured dot of legends and
// breakdown rows.
class PopupDot : public QWidget {
    Q_OBJECT
public:
    explicit PopupDot(const QColor& colour, QWidget* parent = nullptr);

    void setColour(const QColor& colour);
    const QColor& colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
};

} // namespace gaugelet
