#pragma once

#include <QColor>
#include <QWidget>
#include <optional>

class QHBoxLayout;
class QLabel;

namespace gaugelet {

class PopupDot;

// One legend line: an optional coloured dot, the name, an optional view right
// after it (an info button), and the figure at the right edge in the
// secondary style. The whole row is set in the system font at fontSize.
class PopupBreakdownRow : public QWidget {
    Q_OBJECT
public:
    PopupBreakdownRow(const QString& label, const QString& value, std::optional<QColor> dot, qreal fontSize,
                      QWidget* trailing = nullptr, QWidget* parent = nullptr);

    // In-place updates; each does nothing when the value is unchanged.
    void setLabel(const QString& label);
    void setValue(const QString& value);
    void setDot(std::optional<QColor> dot);
    void setFontSize(qreal fontSize);

    QString label() const;
    QString value() const;
    std::optional<QColor> dot() const;
    qreal fontSize() const { return m_fontSize; }
    QWidget* trailing() const { return m_trailing; }
    QLabel* labelWidget() const { return m_label; }
    QLabel* valueWidget() const { return m_value; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyStyle();

    QHBoxLayout* m_layout;
    PopupDot* m_dot;
    QLabel* m_label;
    QWidget* m_trailing;
    QLabel* m_value;
    qreal m_fontSize;
    bool m_styling = false;
};

} // namespace gaugelet
