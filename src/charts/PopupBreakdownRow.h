#pragma once

#include "charts/PopupFigureLine.h"

#include <optional>

namespace gaugelet {

// One legend line: an optional coloured dot, the name, an optional view right
// after it (an info button), and the figure at the right edge in the
// secondary style. The whole row is set in the system font at fontSize.
class PopupBreakdownRow : public PopupFigureLine {
    Q_OBJECT
public:
    PopupBreakdownRow(const QString& label, const QString& value, std::optional<QColor> dot, qreal fontSize,
                      QWidget* trailing = nullptr, QWidget* parent = nullptr);

    // In-place updates; each does nothing when the value is unchanged.
    void setLabel(const QString& label);
    void setValue(const QString& value) { setFigure(value); }
    void setDot(std::optional<QColor> dot);
    void setFontSize(qreal fontSize);

    QString value() const { return figure(); }
    std::optional<QColor> dot() const;
    qreal fontSize() const { return m_fontSize; }
    QWidget* trailing() const { return m_trailing; }
    QLabel* labelWidget() const { return m_label; }
    QLabel* valueWidget() const { return m_figure; }

protected:
    void applyStyle() override;

private:
    QWidget* m_trailing;
    qreal m_fontSize;
};

} // namespace gaugelet
