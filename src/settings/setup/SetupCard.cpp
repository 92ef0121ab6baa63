#include "settings/setup/SetupCard.h"

#include "platform/style/DesignStyle.h"
#include "platform/style/SystemSymbol.h"
#include "settings/setup/HeroBackdrop.h"
#include "views/Spacing.h"
#include "views/Spinner.h"
#include "views/TextLabel.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace gaugelet {

namespace {

using Style = DesignStyle::TextStyle;
using Colour = DesignStyle::Colour;
using Kind = SetupModel::RowStatus::Kind;

constexpr int expandDurationMs = 420;

// A critically damped spring with a response of 0.35 s, over the animation's
// duration: 1 - (1 + ωt)·e^(-ωt), ω = 2π / response, ending exactly at 1.
qreal springProgress(qreal progress)
{
    if (progress >= 1)
        return 1;
    const qreal omega = 2 * M_PI / 0.35;
    const qreal t = progress * expandDurationMs / 1000.0;
    return 1 - (1 + omega * t) * std::exp(-omega * t);
}

// "Optional" on a capsule.
class Badge : public QLabel {
public:
    explicit Badge(QWidget* parent) : QLabel(parent)
    {
        setContentsMargins(Spacing::margins(Spacing::Step::s, Spacing::Step::xxs));
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        {
            QPainter p(this);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(DesignStyle::colour(Colour::quaternary, this));
            p.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
        }
        QLabel::paintEvent(event);
    }
};

// The whole header is the tap target of its row.
class Header : public QWidget {
public:
    Header(QWidget* parent, std::function<void()> onTap) : QWidget(parent), m_onTap(std::move(onTap))
    {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && m_onTap)
            m_onTap();
    }

private:
    std::function<void()> m_onTap;
};

// The card's border, drawn over everything in it; it takes no clicks.
class Border : public QWidget {
public:
    explicit Border(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(DesignStyle::colour(Colour::separator, this), 1));
        p.setBrush(Qt::NoBrush);
        const qreal r = SetupChecklist::cornerRadius;
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), r - 0.5, r - 0.5);
    }
};

} // namespace

SetupCard::SetupCard(const SetupChecklist::RowSpec& row, std::function<void()> onTap, QWidget* parent)
    : QWidget(parent), m_id(row.id), m_heroFactory(row.hero)
{
    setObjectName(QStringLiteral("setup.card.") + m_id);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildHero(column);

    auto* rowLayout = new QHBoxLayout;
    rowLayout->setContentsMargins(Spacing::margins(Spacing::Step::xxl));
    rowLayout->setSpacing(Spacing::px(Spacing::Step::xxl));
    column->addLayout(rowLayout);
    buildHeader(rowLayout, std::move(onTap));
    buildTrailing(rowLayout);

    m_border = new Border(this);
    m_border->raise();

    m_shadow = new QGraphicsDropShadowEffect(this);
    m_shadow->setOffset(0, 2);
    setGraphicsEffect(m_shadow);
    setUpAnimation();
}

int SetupCard::heroShownHeight() const
{
    return m_heroHolder->isVisibleTo(this) ? m_heroHolder->minimumHeight() : 0;
}

void SetupCard::buildHero(QBoxLayout* column)
{
    m_heroHolder = new QWidget(this);
    m_heroHolder->setObjectName(QStringLiteral("setup.hero.") + m_id);
    auto* heroLayout = new QVBoxLayout(m_heroHolder);
    heroLayout->setContentsMargins(0, 0, 0, 0);
    m_heroHolder->setFixedHeight(0);
    m_heroHolder->hide();
    column->addWidget(m_heroHolder);
}

void SetupCard::buildHeader(QBoxLayout* row, std::function<void()> onTap)
{
    auto* header = new Header(this, std::move(onTap));
    header->setObjectName(QStringLiteral("setup.header.") + m_id);
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(0, 0, 0, 0);
    headerRow->setSpacing(0);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(Spacing::px(Spacing::Step::xs));
    headerRow->addLayout(texts, 1);
    auto* firstLine = new QHBoxLayout;
    firstLine->setSpacing(Spacing::px(Spacing::Step::s));
    m_title = new QLabel(header);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setObjectName(QStringLiteral("setup.title.") + m_id);
    firstLine->addWidget(m_title, 0, Qt::AlignVCenter);
    m_badge = new Badge(header);
    m_badge->setText(SetupChecklist::tr("Optional"));
    m_badge->setTextFormat(Qt::PlainText);
    firstLine->addWidget(m_badge, 0, Qt::AlignVCenter);
    firstLine->addStretch(1);
    texts->addLayout(firstLine);
    m_detail = new QLabel(header);
    m_detail->setObjectName(QStringLiteral("setup.detail.") + m_id);
    m_detail->setTextFormat(Qt::PlainText);
    m_detail->setWordWrap(true);
    m_detail->hide();
    texts->addWidget(m_detail);
    row->addWidget(header, 1, Qt::AlignVCenter);
}

void SetupCard::buildTrailing(QBoxLayout* row)
{
    m_progress = new Spinner(this);
    m_progress->setObjectName(QStringLiteral("setup.progress.") + m_id);
    row->addWidget(m_progress, 0, Qt::AlignVCenter);
    m_granted = new QWidget(this);
    m_granted->setObjectName(QStringLiteral("setup.granted.") + m_id);
    auto* grantedRow = new QHBoxLayout(m_granted);
    grantedRow->setContentsMargins(0, 0, 0, 0);
    grantedRow->setSpacing(Spacing::px(Spacing::Step::xs));
    m_checkmark = new QLabel(m_granted);
    m_grantedText = new QLabel(m_granted);
    m_grantedText->setTextFormat(Qt::PlainText);
    grantedRow->addWidget(m_checkmark);
    grantedRow->addWidget(m_grantedText);
    row->addWidget(m_granted, 0, Qt::AlignVCenter);
    m_button = new QPushButton(this);
    m_button->setObjectName(QStringLiteral("setup.button.") + m_id);
    m_button->setAutoDefault(false);
    QObject::connect(m_button, &QPushButton::clicked, this, [this] {
        if (m_action)
            m_action();
    });
    row->addWidget(m_button, 0, Qt::AlignVCenter);
}

void SetupCard::setUpAnimation()
{
    m_animation.setEasingCurve([] {
        QEasingCurve curve;
        curve.setCustomType(springProgress);
        return curve;
    }());
    m_animation.setDuration(expandDurationMs);
    QObject::connect(&m_animation, &QVariantAnimation::valueChanged, this,
                     [this](const QVariant& value) { m_heroHolder->setFixedHeight(qRound(value.toReal())); });
    QObject::connect(&m_animation, &QVariantAnimation::finished, this, [this] {
        if (!m_expanded)
            m_heroHolder->hide();
    });
}

void SetupCard::apply(const SetupChecklist::RowSpec& row, bool expanded, bool animate)
{
    m_action = row.action;
    m_title->setText(row.title);
    m_detail->setText(row.detail);
    m_grantedText->setText(row.grantedLabel);
    m_badge->setVisible(row.optional);

    m_progress->setVisible(row.status.kind == Kind::unknown);
    m_granted->setVisible(row.status.kind == Kind::granted);
    m_button->setVisible(row.status.kind == Kind::denied || row.status.kind == Kind::actionNeeded);
    if (row.status.kind == Kind::denied)
        m_button->setText(SetupChecklist::tr("Open System Settings…"));
    else if (row.status.kind == Kind::actionNeeded)
        m_button->setText(row.status.title);

    if (expanded != m_expanded || !m_styled) {
        m_expanded = expanded;
        m_detail->setVisible(expanded);
        restyle();
        setHeroExpanded(expanded, animate);
    }
}

void SetupCard::restyle()
{
    m_styled = true;
    m_title->setFont(DesignStyle::font(m_expanded ? Style::title3 : Style::body));
    if (m_expanded) {
        QFont f = m_title->font();
        f.setBold(true);
        m_title->setFont(f);
    }
    TextLabel::setColour(m_title, DesignStyle::colour(m_expanded ? Colour::primary : Colour::secondary, this));
    m_detail->setFont(DesignStyle::font(Style::callout));
    TextLabel::setColour(m_detail, DesignStyle::colour(Colour::secondary, this));
    m_badge->setFont(DesignStyle::font(Style::caption2));
    TextLabel::setColour(m_badge, DesignStyle::colour(Colour::secondary, this));
    const QColor primary = DesignStyle::colour(Colour::primary, this);
    TextLabel::setColour(m_grantedText, primary);
    m_grantedText->setFont(DesignStyle::font(Style::body));
    const int side = QFontMetrics(m_grantedText->font()).ascent();
    const qreal dpr = devicePixelRatioF();
    const QImage mark = SystemSymbol::tinted(QStringLiteral("checkmark"), side, primary, dpr);
    if (!mark.isNull()) {
        m_checkmark->setPixmap(QPixmap::fromImage(mark));
    }
    m_shadow->setColor(QColor(0, 0, 0, qRound((m_expanded ? 0.18 : 0.08) * 255)));
    m_shadow->setBlurRadius(m_expanded ? 16 : 4);
    update();
}

void SetupCard::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(DesignStyle::colour(Colour::controlBackground, this));
    p.drawRoundedRect(QRectF(rect()), SetupChecklist::cornerRadius, SetupChecklist::cornerRadius);
}

void SetupCard::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_border->setGeometry(rect());
    m_border->raise();
}

void SetupCard::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)
        restyle();
}

void SetupCard::setHeroExpanded(bool expanded, bool animate)
{
    if (expanded && !m_hero && m_heroFactory) {
        m_hero = m_heroFactory();
        if (m_hero) {
            m_hero->setParent(m_heroHolder);
            if (auto* backdrop = qobject_cast<HeroBackdrop*>(m_hero))
                backdrop->setTopCornerRadius(SetupChecklist::cornerRadius);
            m_heroHolder->layout()->addWidget(m_hero);
        }
    }
    m_animation.stop();
    const int target = expanded ? SetupChecklist::heroHeight : 0;
    if (expanded)
        m_heroHolder->show();
    if (!animate || !isVisible()) {
        m_heroHolder->setFixedHeight(target);
        m_heroHolder->setVisible(expanded);
        return;
    }
    m_animation.setStartValue(qreal(m_heroHolder->height()));
    m_animation.setEndValue(qreal(target));
    m_animation.start();
}

} // namespace gaugelet
