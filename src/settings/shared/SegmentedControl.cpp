#include "settings/shared/SegmentedControl.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QToolButton>
#include <algorithm>

namespace gaugelet {

SegmentedControl::SegmentedControl(const QString& title, const QStringList& options, QWidget* parent)
    : TitledControl(title, parent)
{
    auto* segments = new QHBoxLayout;
    segments->setSpacing(0);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    for (int i = 0; i < options.size(); ++i) {
        auto* b = new QToolButton(this);
        b->setText(options[i]);
        b->setCheckable(true);
        b->setAutoRaise(false);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        // 72 wide at least, and never narrower than its text.
        b->setMinimumWidth(std::max(72, b->sizeHint().width()));
        m_group->addButton(b, i);
        segments->addWidget(b);
    }
    row()->addLayout(segments);
    // The chosen segment in the accent colour, so it reads as chosen in any palette.
    connect(m_group, &QButtonGroup::buttonToggled, this, [](QAbstractButton* b, bool checked) {
        if (checked) {
            QPalette pal = b->palette();
            pal.setColor(QPalette::Button, pal.color(QPalette::Highlight));
            pal.setColor(QPalette::ButtonText, pal.color(QPalette::HighlightedText));
            b->setPalette(pal);
        } else {
            b->setPalette(QPalette());
        }
    });
    // idClicked comes from a click only, never from setChecked.
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedControl::activated);
}

int SegmentedControl::currentIndex() const
{
    return m_group->checkedId();
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (QAbstractButton* b = m_group->button(index))
        b->setChecked(true);
}

QAbstractButton* SegmentedControl::button(int index) const
{
    return m_group->button(index);
}

int SegmentedControl::count() const
{
    return int(m_group->buttons().size());
}

} // namespace gaugelet
