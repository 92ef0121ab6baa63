#pragma once

#include <QWidget>

namespace gaugelet {

// A widget whose fonts and colours are set from its palette: applyStyle runs
// when the widget asks (restyle(), once it is built) and again at every
// palette change, but not for the palette changes it makes itself.
class PaletteStyledWidget : public QWidget {
    Q_OBJECT
protected:
    using QWidget::QWidget;

    // Sets the fonts and colours from the palette.
    virtual void applyStyle() = 0;
    void restyle();
    void changeEvent(QEvent* event) override;

private:
    bool m_styling = false;
};

} // namespace gaugelet
