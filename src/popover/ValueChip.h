#pragma once

#include <QColor>
#include <QMargins>
#include <QString>
#include <QWidget>
#include <optional>

namespace gaugelet {

class Defaults;

// A provider's current value beside its name in the popover: the snapshot's
// label in the title-3 font, optionally in a colour of the user's and on a
// capsule of the user's colour ("global.statFg…", "global.statBg…").
class ValueChip : public QWidget {
    Q_OBJECT
public:
    struct Style {
        bool bgEnabled = false;
        QString bgHex;
        bool fgEnabled = false;
        QString fgHex;
        bool operator==(const Style&) const = default;
        // From "global.statBgEnabled", "global.statBgHex", "global.statFgEnabled", "global.statFgHex".
        static Style stored(const Defaults& defaults);
    };
    // The capsule's fill when the background hex text does not parse.
    static QColor fallbackBackground();

    explicit ValueChip(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    const Style& style() const { return m_style; }
    void setStyle(const Style& style);

    // The resolved look: the text colour (none = the inherited text colour),
    // the capsule's fill (none = no capsule) and the inset around the text.
    std::optional<QColor> foreground() const;
    std::optional<QColor> background() const;
    QMargins inset() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_text;
    Style m_style;
};

} // namespace gaugelet
