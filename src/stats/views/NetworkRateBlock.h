#pragma once

#include "views/PaletteStyledWidget.h"

#include <QColor>
#include <optional>

class QLabel;

namespace gaugelet {

// One of the network detail's two large figures: the direction's arrow in its
// tint and the rate in the title-3 font, optionally coloured and set on a
// capsule like the popover's value chips.
class NetworkRateBlock : public PaletteStyledWidget {
    Q_OBJECT
public:
    NetworkRateBlock(const QString& arrow, QWidget* parent = nullptr);

    void setTint(const QColor& tint);
    void setRate(const QString& text);
    // The rate's colour; none keeps the default text colour.
    void setForeground(std::optional<QColor> colour);
    // The capsule's fill; none: no capsule and no padding.
    void setBackground(std::optional<QColor> colour);

    QString rate() const;
    std::optional<QColor> background() const { return m_background; }
    QLabel* arrowLabel() const { return m_arrow; }
    QLabel* rateLabel() const { return m_rate; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void applyStyle() override;

private:

    QLabel* m_arrow;
    QLabel* m_rate;
    QColor m_tint;
    std::optional<QColor> m_foreground;
    std::optional<QColor> m_background;
};

} // namespace gaugelet
