#pragma once

#include "platform/style/DesignStyle.h"
#include "views/PaletteStyledWidget.h"
#include "views/Spacing.h"

#include <QColor>
#include <QString>

class QHBoxLayout;
class QLabel;

namespace gaugelet {

class PopupDot;

// A line of the detail views: a coloured dot, a name and a figure (set in
// monospaced digits), all plain text, restyled when the palette changes.
// The line holds the dot and the name; the figure goes where the kind of
// line puts it.
class PopupFigureLine : public PaletteStyledWidget {
    Q_OBJECT
public:
    QString label() const;
    QString figure() const;
    // Does nothing when the figure is unchanged.
    void setFigure(const QString& figure);

protected:
    PopupFigureLine(const QString& label, const QString& figure, const QColor& dot, Spacing::Step gap, QWidget* parent);
    QHBoxLayout* row() const;
    // Sets the name's and the figure's font and colours.
    void styleTexts(const QFont& font, DesignStyle::Colour label, DesignStyle::Colour figure);

    PopupDot* m_dot;
    QLabel* m_label;
    QLabel* m_figure;
};

} // namespace gaugelet
