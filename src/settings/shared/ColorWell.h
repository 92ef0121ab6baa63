#pragma once

#include "settings/shared/TitledControl.h"

#include <QColor>
#include <QColorDialog>
#include <QPointer>

class QToolButton;

namespace gaugelet {

// A labelled colour picker: the title, then a swatch of the shown colour.
// Clicking the swatch opens a colour panel with opacity; only a confirmed
// choice is reported (colorPicked), a cancelled panel changes nothing.
class ColorWell : public TitledControl {
    Q_OBJECT
public:
    explicit ColorWell(const QString& title, QWidget* parent = nullptr);

    // Shows a colour without reporting it.
    void setColor(const QColor& color);
    QColor color() const { return m_color; }

    QToolButton* swatch() const { return m_swatch; }
    // The open colour panel, or nullptr.
    QColorDialog* panel() const { return m_panel.data(); }
    // Opens the colour panel (as a click on the swatch does).
    void openPanel();

Q_SIGNALS:
    void colorPicked(const QColor& color);

protected:
    void changeEvent(QEvent* event) override;

private:
    void paintSwatch();

    QColor m_color;
    QToolButton* m_swatch = nullptr;
    QPointer<QColorDialog> m_panel;
};

} // namespace gaugelet
