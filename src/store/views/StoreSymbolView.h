#pragma once

#include "platform/style/DesignStyle.h"

#include <QString>
#include <QWidget>
#include <optional>

namespace gaugelet {

// One system symbol drawn in a colour of the design, centred in the widget at
// a given side in points (for the store rows' thumbnails and marks). The
// colour follows the widget's palette, light and dark.
class StoreSymbolView : public QWidget {
    Q_OBJECT

public:
    StoreSymbolView(QString symbolName, DesignStyle::Colour colour, int side, QWidget* parent = nullptr);

    const QString& symbolName() const { return m_symbolName; }
    DesignStyle::Colour colour() const { return m_colour; }
    // The image as painted: the symbol filled with the colour.
    QImage tintedImage(double scale) const;

    QSize sizeHint() const override { return {m_side, m_side}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbolName;
    DesignStyle::Colour m_colour;
    int m_side;
};

} // namespace gaugelet
