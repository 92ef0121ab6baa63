#pragma once

#include "menubar/Pin.h"
#include "settings/stats/StylingBlock.h"

#include <QColor>
#include <QString>

class QCheckBox;

namespace gaugelet {

class ColorWell;
class StatProvider;

// The colours of a pinned sprite's two labels: text colour, background switch
// and background colour. They live in the name tag's styling only; the menu
// bar colours both labels from it. State is loaded once on creation; every
// change writes all three fields at once.
class SharedTagColorRows : public StylingBlock {
    Q_OBJECT
public:
    SharedTagColorRows(const Pin& pin, const StatProvider& provider, QWidget* parent = nullptr);

    QString fgHex() const { return m_fgHex; }
    bool showBg() const { return m_showBg; }
    QString bgHex() const { return m_bgHex; }

    // The colour bindings: the stored colour, else the secondary colour for
    // the text and black at 0.45 opacity for the background.
    QColor textColor() const;
    void setTextColor(const QColor& color);
    QColor backgroundColor() const;
    void setBackgroundColor(const QColor& color);
    void setShowBg(bool on);
    // Removes the three keys, then takes the loaded defaults (writing back
    // the fields that changed).
    void resetToDefaults() override;

    ColorWell* textWell() const { return m_fgWell; }
    QCheckBox* backgroundToggle() const { return m_bgToggle; }
    ColorWell* backgroundWell() const { return m_bgWell; }

private:
    // Takes a new value of one of the three fields; a change is written.
    template <typename T>
    void change(T& field, const T& value);
    void persist();
    void showState();

    Pin m_pin;
    QString m_providerId;
    QString m_shortName;
    QString m_fgHex;
    bool m_showBg = false;
    QString m_bgHex;
    ColorWell* m_fgWell = nullptr;
    QCheckBox* m_bgToggle = nullptr;
    ColorWell* m_bgWell = nullptr;
};

} // namespace gaugelet
