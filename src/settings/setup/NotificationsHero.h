#pragma once

#include "settings/setup/HeroBackdrop.h"

namespace gaugelet {

// The illustration of the notifications row: a mock notification banner of
// a firing alarm.
class NotificationsHero : public HeroBackdrop {
    Q_OBJECT
public:
    explicit NotificationsHero(QWidget* parent = nullptr);

protected:
    qreal cardWidth() const override { return 330; }
    qreal contentHeight() const override;
    void paintContent(QPainter& painter, const QRectF& content) const override;
};

} // namespace gaugelet
