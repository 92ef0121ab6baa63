#include "settings/stats/SharedTagColorRows.h"

#include "menubar/TagSpec.h"
#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "settings/shared/ColorWell.h"
#include "stats/Color.h"
#include "stats/StatProvider.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace gaugelet {

SharedTagColorRows::SharedTagColorRows(const Pin& pin, const StatProvider& provider, QWidget* parent)
    : StylingBlock(tr("Colour (name & value)"), parent), m_pin(pin), m_providerId(provider.id()),
      m_shortName(provider.shortName())
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const TagSpec spec = TagSpec::load(m_pin.id(), m_providerId, m_shortName, TagSpec::Namespace::tag);
    m_fgHex = spec.fgHex;
    m_showBg = spec.showBg;
    m_bgHex = spec.bgHex;

    setToolTip(tr("Text and background colour for this pin's name tag and value (%). Both share one colour."));
    QVBoxLayout* column = this->column();

    m_fgWell = new ColorWell(tr("Text color"), this);
    column->addWidget(m_fgWell);
    connect(m_fgWell, &ColorWell::colorPicked, this, &SharedTagColorRows::setTextColor);
    m_bgToggle = new QCheckBox(tr("Background"), this);
    column->addWidget(m_bgToggle);
    connect(m_bgToggle, &QCheckBox::clicked, this, &SharedTagColorRows::setShowBg);
    m_bgWell = new ColorWell(tr("Background color"), this);
    column->addWidget(m_bgWell);
    connect(m_bgWell, &ColorWell::colorPicked, this, &SharedTagColorRows::setBackgroundColor);

    addResetButton();
    showState();
}

QColor SharedTagColorRows::textColor() const
{
    return Color::fromHex(m_fgHex).value_or(DesignStyle::colour(DesignStyle::Colour::secondary, this));
}

void SharedTagColorRows::setTextColor(const QColor& color)
{
    change(m_fgHex, Color::hexString(color));
}

QColor SharedTagColorRows::backgroundColor() const
{
    return Color::fromHex(m_bgHex).value_or(QColor(0, 0, 0, qRound(0.45 * 255)));
}

void SharedTagColorRows::setBackgroundColor(const QColor& color)
{
    change(m_bgHex, Color::hexString(color));
}

void SharedTagColorRows::setShowBg(bool on)
{
    change(m_showBg, on);
}

template <typename T>
void SharedTagColorRows::change(T& field, const T& value)
{
    if (value == field)
        return;
    field = value;
    persist();
}

void SharedTagColorRows::persist()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Defaults* defaults = Defaults::standard();
    const QString id = m_pin.id();
    defaults->set(TagSpec::key(id, TagSpec::Namespace::tag, u"fgHex"), m_fgHex);
    defaults->set(TagSpec::key(id, TagSpec::Namespace::tag, u"bgHex"), m_bgHex);
    defaults->set(TagSpec::key(id, TagSpec::Namespace::tag, u"showBg"), m_showBg);
    showState();
}

void SharedTagColorRows::resetToDefaults()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Defaults* defaults = Defaults::standard();
    const QString id = m_pin.id();
    defaults->remove(TagSpec::key(id, TagSpec::Namespace::tag, u"fgHex"));
    defaults->remove(TagSpec::key(id, TagSpec::Namespace::tag, u"bgHex"));
    defaults->remove(TagSpec::key(id, TagSpec::Namespace::tag, u"showBg"));
    const TagSpec spec = TagSpec::load(id, m_providerId, m_shortName, TagSpec::Namespace::tag);
    const bool changed = spec.fgHex != m_fgHex || spec.showBg != m_showBg || spec.bgHex != m_bgHex;
    m_fgHex = spec.fgHex;
    m_showBg = spec.showBg;
    m_bgHex = spec.bgHex;
    // A field that changed writes its default back, as any change does.
    if (changed)
        persist();
    else
        showState();
}

void SharedTagColorRows::showState()
{
    m_fgWell->setColor(textColor());
    {
        const QSignalBlocker blocker(m_bgToggle);
        m_bgToggle->setChecked(m_showBg);
    }
    m_bgWell->setColor(backgroundColor());
    m_bgWell->setEnabled(m_showBg);
}

} // namespace gaugelet
