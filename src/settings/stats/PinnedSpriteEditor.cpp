#include "settings/stats/PinnedSpriteEditor.h"

#include "menubar/TagSpec.h"
#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "schema/SettingsSchema.h"
#include "settings/shared/SettingsText.h"
#include "settings/stats/SharedTagColorRows.h"
#include "settings/stats/TagStylingRows.h"
#include "stats/StatProvider.h"
#include "views/Spacing.h"
#include "views/TextLabel.h"
#include "views/ToolTip.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTextBoundaryFinder>
#include <QToolButton>
#include <QVBoxLayout>

namespace gaugelet {

namespace {

QString overrideKey(const QString& providerId)
{
    return SettingsSchema::tagOverride.key(providerId);
}

bool isSpaceOrTab(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

} // namespace

PinnedSpriteEditor::PinnedSpriteEditor(const Pin& pin, const StatProvider& provider, QWidget* parent)
    : QWidget(parent), m_pin(pin), m_provider(provider)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const QString shortName = provider.shortName();
    m_tagText = Defaults::standard()->string(overrideKey(provider.id())).value_or(shortName);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(Spacing::px(Spacing::Step::ml));

    auto* toggles = new QHBoxLayout;
    toggles->setSpacing(Spacing::px(Spacing::Step::xxl));
    for (Label* label : {&m_name, &m_value}) {
        label->shown = TagSpec::load(pin.id(), provider.id(), shortName, label->ns).shown;
        label->toggle = new QCheckBox(label->title, this);
        label->toggle->setChecked(label->shown);
        toggles->addWidget(label->toggle);
        connect(label->toggle, &QCheckBox::clicked, this, [this, label](bool shown) { setShown(*label, shown); });
    }
    toggles->addStretch(1);
    column->addLayout(toggles);

    m_disclosure = new QToolButton(this);
    m_disclosure->setText(tr("Customize"));
    m_disclosure->setCheckable(true);
    m_disclosure->setAutoRaise(true);
    m_disclosure->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_disclosure->setArrowType(Qt::RightArrow);
    column->addWidget(m_disclosure);
    connect(m_disclosure, &QToolButton::clicked, this, &PinnedSpriteEditor::setCustomizeOpen);

    m_content = new QWidget(this);
    auto* content = new QVBoxLayout(m_content);
    content->setContentsMargins(Spacing::top(Spacing::Step::s));
    content->setSpacing(Spacing::px(Spacing::Step::l));

    auto* tagRow = new QHBoxLayout;
    auto* tagLabel = new QLabel(tr("Panel tag text"), m_content);
    tagRow->addWidget(tagLabel);
    tagRow->addStretch(1);
    m_field = new QLineEdit(m_content);
    m_field->setPlaceholderText(shortName);
    m_field->setFixedWidth(72);
    m_field->setAlignment(Qt::AlignCenter);
    m_field->setAccessibleName(tr("Panel tag text"));
    m_field->setToolTip(ToolTip::fromPlainText(
        tr("Panel tag for this provider (max 10 characters). Leave blank to use the default (%1).").arg(shortName)));
    m_field->setText(m_tagText);
    tagRow->addWidget(m_field);
    content->addLayout(tagRow);
    // textEdited comes from the user only, never from setText.
    connect(m_field, &QLineEdit::textEdited, this, &PinnedSpriteEditor::applyTagText);

    m_styling = new QWidget(m_content);
    auto* styling = new QVBoxLayout(m_styling);
    styling->setContentsMargins(0, 0, 0, 0);
    styling->setSpacing(Spacing::px(Spacing::Step::l));
    content->addWidget(m_styling);
    column->addWidget(m_content);
    m_content->setVisible(false);
    rebuildStyling();
}

void PinnedSpriteEditor::setNameShown(bool shown)
{
    setShown(m_name, shown);
}

void PinnedSpriteEditor::setValueShown(bool shown)
{
    setShown(m_value, shown);
}

void PinnedSpriteEditor::setShown(Label& label, bool shown)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    {
        const QSignalBlocker blocker(label.toggle);
        label.toggle->setChecked(shown);
    }
    if (shown == label.shown)
        return;
    label.shown = shown;
    Defaults::standard()->set(TagSpec::key(m_pin.id(), label.ns, u"shown"), shown);
    rebuildStyling();
}

bool PinnedSpriteEditor::customizeOpen() const
{
    return m_disclosure->isChecked();
}

void PinnedSpriteEditor::setCustomizeOpen(bool open)
{
    {
        const QSignalBlocker blocker(m_disclosure);
        m_disclosure->setChecked(open);
    }
    m_disclosure->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    m_content->setVisible(open);
}

void PinnedSpriteEditor::rebuildStyling()
{
    // The blocks are made afresh whenever the label switches change, so they
    // show what is stored now.
    delete m_colorRows;
    delete m_hint;
    m_colorRows = nullptr;
    m_hint = nullptr;
    for (Label* label : {&m_name, &m_value}) {
        delete label->rows;
        label->rows = nullptr;
    }
    QLayout* styling = m_styling->layout();
    const bool anyShown = m_name.shown || m_value.shown;
    if (anyShown) {
        m_colorRows = new SharedTagColorRows(m_pin, m_provider, m_styling);
        styling->addWidget(m_colorRows);
    }
    for (Label* label : {&m_name, &m_value}) {
        if (!label->shown)
            continue;
        const TagSpec spec = TagSpec::load(m_pin.id(), m_provider.id(), m_provider.shortName(), label->ns);
        label->rows = new TagStylingRows(label->title, label->ns, m_pin, m_provider, spec, m_styling);
        styling->addWidget(label->rows);
    }
    if (!anyShown) {
        m_hint = TextLabel::caption(tr("Turn on the name tag or value above to style them."), m_styling);
        styling->addWidget(m_hint);
    }
}

void PinnedSpriteEditor::applyTagText(const QString& text)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (graphemeCount(text) > maxTagLength) {
        // Cutting the field is itself a change, which stores the cut text.
        const QString cut = leadingGraphemes(text, maxTagLength);
        m_field->setText(cut);
        applyTagText(cut);
        return;
    }
    m_tagText = text;
    const QString trimmed = trimmedSpacesAndTabs(text);
    const QString key = overrideKey(m_provider.id());
    if (trimmed.isEmpty() || trimmed == m_provider.shortName())
        Defaults::standard()->remove(key);
    else
        Defaults::standard()->set(key, trimmed);
}

qsizetype PinnedSpriteEditor::graphemeCount(const QString& text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString PinnedSpriteEditor::leadingGraphemes(const QString& text, qsizetype n)
{
    if (n <= 0)
        return QString();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    qsizetype end = 0;
    while (count < n) {
        const qsizetype next = finder.toNextBoundary();
        if (next == -1)
            return text;
        end = next;
        ++count;
    }
    return text.left(end);
}

QString PinnedSpriteEditor::trimmedSpacesAndTabs(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceOrTab(text[begin]))
        ++begin;
    while (end > begin && isSpaceOrTab(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace gaugelet
