#pragma once

#include "platform/style/DesignStyle.h"

#include <QString>
#include <QWidget>

class QTextLayout;

namespace gaugelet {

// Plain text that wraps at word boundaries and, where a single word is wider
// than the line, anywhere inside the word, so a long text without spaces
// (an error with a long address or path) stays inside its window. QLabel
// never breaks inside a word. The text is never read as markup.
class StoreWrappingLabel : public QWidget {
    Q_OBJECT

public:
    StoreWrappingLabel(const QFont& font, DesignStyle::Colour colour, QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return m_text; }
    // The number of lines the text takes at a width.
    int lineCount(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Lays the text out at a width; returns its height.
    qreal layoutText(QTextLayout& layout, qreal width) const;

    QString m_text;
    DesignStyle::Colour m_colour;
};

} // namespace gaugelet
