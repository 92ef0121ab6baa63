#pragma once

#include "platform/style/DesignStyle.h"

#include <QLabel>

namespace gaugelet {

// A line of the store tab in one of the design's fonts and colours. The text
// is always plain (names, ids and authors come from the catalogue), and the
// colour follows palette changes, light and dark.
class StoreTextLabel : public QLabel {
    Q_OBJECT

public:
    StoreTextLabel(const QString& text, const QFont& font, DesignStyle::Colour colour, QWidget* parent = nullptr);

    DesignStyle::Colour colour() const { return m_colour; }

    // The design's fonts the store rows use.
    static QFont mediumFont();
    static QFont monospacedCaption2();

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyColour();

    DesignStyle::Colour m_colour;
    bool m_applying = false;
};

} // namespace gaugelet
