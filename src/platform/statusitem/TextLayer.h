#pragma once

#include "platform/statusitem/Layer.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

namespace gaugelet {

// A layer that draws one line of text into its bounds.
class TextLayer : public Layer {
public:
    enum class Alignment { natural, left, center, right };

    static std::shared_ptr<TextLayer> create() { return std::shared_ptr<TextLayer>(new TextLayer); }

    const QString& string() const { return m_string; }
    void setString(const QString& text) { assignAndCompose(m_string, text); }
    const QFont& font() const { return m_font; }
    void setFont(const QFont& font) { assignAndCompose(m_font, font); }
    const QColor& foregroundColor() const { return m_foreground; }
    void setForegroundColor(const QColor& color) { assignAndCompose(m_foreground, color); }
    Alignment alignment() const { return m_alignment; }
    void setAlignment(Alignment alignment) { assignAndCompose(m_alignment, alignment); }
    // A contour of this colour, `width` points wide, around the glyphs (none
    // by default): text that must read on a background of unknown shade.
    const std::optional<QColor>& contourColor() const { return m_contour; }
    void setContour(const std::optional<QColor>& color, double width)
    {
        assignAndCompose(m_contour, color);
        assignAndCompose(m_contourWidth, width);
    }

protected:
    TextLayer();
    void drawInContext(QPainter& painter) const override;

private:
    QString m_string;
    QFont m_font;
    QColor m_foreground = Qt::white;
    Alignment m_alignment = Alignment::natural;
    std::optional<QColor> m_contour;
    double m_contourWidth = 0;
};

} // namespace gaugelet
