#pragma once

#include "platform/style/DesignStyle.h"

#include <QLabel>
#include <QStringList>
#include <functional>

namespace gaugelet {

// The figure beside a slider: plain text in a design text style with
// monospaced digits, aligned trailing, exactly as wide as the widest text it
// may show (and at least its design width), so no value is ever clipped and
// the control beside it keeps its place while the value changes. It takes
// the application font's size whenever that changes and measures again on
// every change of its font.
class ValueLabel : public QLabel {
    Q_OBJECT
public:
    ValueLabel(DesignStyle::TextStyle style, qreal designWidth, QWidget* parent = nullptr);

    // The texts it may show: each whole value of [low, high] through `text`.
    void setRange(int low, int high, const std::function<QString(int)>& text);
    void setTexts(QStringList texts);
    const QStringList& texts() const { return m_texts; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takeStyleFont();
    // The width of a text as drawn in the label's font: its advance, or its
    // ink where a glyph reaches past it.
    int textWidth(const QString& text) const;
    void measure();

    DesignStyle::TextStyle m_style;
    qreal m_designWidth;
    QStringList m_texts;
    int m_widest = 0;
};

} // namespace gaugelet
