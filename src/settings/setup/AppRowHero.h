#pragma once

#include "platform/style/DesignStyle.h"
#include "settings/setup/HeroBackdrop.h"

#include <QList>
#include <optional>

namespace gaugelet {

// An illustration of the setup checklist: one mock row of a desktop list
// showing the program, drawn on the hero backdrop's light card. The program's
// icon tile leads, a block of stacked one-line texts follows, and a trailing
// accessory ends the row: a switch turned on (the launch-at-login row's mock
// login-items entry) or a time stamp (the notifications row's mock banner of a
// firing alarm).
class AppRowHero : public HeroBackdrop {
    Q_OBJECT
public:
    enum class Accessory { switchOn, timeStamp };

    // One line of the text block.
    struct Line {
        QString text;
        DesignStyle::TextStyle style;
        bool bold = false;
        DesignStyle::Colour colour = DesignStyle::Colour::primary;
    };

    struct Design {
        QString name; // the widget's object name
        qreal cardWidth = 0;
        qreal iconSide = 0;
        qreal iconRadius = 0;
        // The gauge symbol's size in design points; none for the body size.
        std::optional<qreal> symbolPointSize;
        QList<Line> lines;
        Accessory accessory = Accessory::switchOn;
        // The time stamp's text, in the caption-2 style.
        QString timeStamp;
    };

    explicit AppRowHero(Design design, QWidget* parent = nullptr);

    // The mock login-items entry: "Gaugelet", "Open at Login", switched on.
    static AppRowHero* loginItem(QWidget* parent = nullptr);
    // The mock banner of a firing CPU alarm.
    static AppRowHero* notification(QWidget* parent = nullptr);

protected:
    qreal cardWidth() const override { return m_design.cardWidth; }
    qreal contentHeight() const override;
    void paintContent(QPainter& painter, const QRectF& content) const override;

private:
    qreal textBlockHeight() const;

    Design m_design;
};

} // namespace gaugelet
