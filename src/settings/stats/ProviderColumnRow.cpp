#include "settings/stats/ProviderColumnRow.h"

#include "platform/core/AssignIfChanged.h"
#include "platform/style/DesignStyle.h"
#include "settings/stats/SpriteThumb.h"
#include "views/Spacing.h"
#include "views/TextLook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace gaugelet {

ProviderColumnRow::ProviderColumnRow(const QString& providerId, const QString& displayName, QWidget* parent)
    : QAbstractButton(parent), m_providerId(providerId)
{
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(displayName);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(Spacing::margins(Spacing::Step::m, Spacing::Step::s));
    row->setSpacing(Spacing::px(Spacing::Step::m));
    m_thumb = new SpriteThumb(nullptr, providerId, 18, this);
    row->addWidget(m_thumb, 0, Qt::AlignVCenter);

    auto* text = new QVBoxLayout;
    text->setSpacing(0);
    m_name = TextLook::weightedLabel(displayName, DesignStyle::TextStyle::callout, QFont::Medium,
                                     DesignStyle::Colour::primary, this);
    m_name->setAttribute(Qt::WA_TransparentForMouseEvents);
    text->addWidget(m_name);
    QLabel* id = TextLook::identifier(providerId, this);
    id->setAttribute(Qt::WA_TransparentForMouseEvents);
    text->addWidget(id);
    row->addLayout(text);
    row->addStretch(1);
}

void ProviderColumnRow::setHighlighted(bool highlighted)
{
    if (assignIfChanged(m_highlighted, highlighted))
        update();
}

QSize ProviderColumnRow::sizeHint() const
{
    return layout()->sizeHint();
}

void ProviderColumnRow::paintEvent(QPaintEvent*)
{
    if (!m_highlighted)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = DesignStyle::colour(DesignStyle::Colour::accent, this);
    fill.setAlphaF(0.18);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(rect()), 7, 7);
}

} // namespace gaugelet
