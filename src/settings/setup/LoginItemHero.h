#pragma once

#include "settings/setup/HeroBackdrop.h"

namespace gaugelet {

// The illustration of the launch-at-login row: a mock entry of a login-items
// list, switched on.
class LoginItemHero : public HeroBackdrop {
    Q_OBJECT
public:
    explicit LoginItemHero(QWidget* parent = nullptr);

protected:
    qreal cardWidth() const override { return 280; }
    qreal contentHeight() const override;
    void paintContent(QPainter& painter, const QRectF& content) const override;
};

} // namespace gaugelet
