#pragma once

#include <QColor>
#include <QWidget>

class QLabel;

namespace gaugelet {

class PopupDot;

// A legend entry of the detail views, in the caption font: a dot of its tint,
// the label in the secondary style and the figure in monospaced digits,
// 4 points apart.
class PopupLegendItem : public QWidget {
    Q_OBJECT
public:
    PopupLegendItem(const QString& label, const QColor& tint, const QString& figure, QWidget* parent = nullptr);

    void setTint(const QColor& tint);
    void setFigure(const QString& figure);
    QString figure() const;
    QString label() const;
    QColor tint() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyStyle();

    PopupDot* m_dot;
    QLabel* m_label;
    QLabel* m_figure;
    bool m_styling = false;
};

} // namespace gaugelet
