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

    // The lines that name a catalogue item or an installed bundle: its name,
    // "by" its author and its selectable id, children of parent named "name",
    // "author" and "id". Each may be cut at the row's end rather than widen
    // the window.
    struct IdentityLines {
        StoreTextLabel* name;
        StoreTextLabel* author;
        StoreTextLabel* id;
    };
    static IdentityLines identityLines(const QString& name, const QString& author, const QString& id, QWidget* parent);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyColour();

    DesignStyle::Colour m_colour;
    bool m_applying = false;
};

} // namespace gaugelet
