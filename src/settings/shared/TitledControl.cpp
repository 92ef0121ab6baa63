#include "settings/shared/TitledControl.h"

#include "views/Spacing.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>

namespace gaugelet {

TitledControl::TitledControl(const QString& title, QWidget* parent)
    : QWidget(parent), m_column(new QVBoxLayout(this)), m_row(new QHBoxLayout), m_title(new QLabel(title, this))
{
    Spacing::apply(m_column, Spacing::Step::none, Spacing::Step::xs);
    Spacing::apply(m_row, Spacing::Step::none, Spacing::Step::s);
    m_title->setTextFormat(Qt::PlainText);
    m_row->addWidget(m_title);
    m_row->addStretch(1);
    m_column->addLayout(m_row);
}

int TitledControl::controlWidth() const
{
    int width = 0;
    int items = 0;
    for (int i = 0; i < m_row->count(); ++i) {
        QLayoutItem* item = m_row->itemAt(i);
        if (item->widget() == m_title || item->spacerItem())
            continue;
        width += item->minimumSize().width();
        ++items;
    }
    return width + std::max(0, items - 1) * std::max(0, m_row->spacing());
}

QSize TitledControl::minimumSizeHint() const
{
    // Stacked, the row needs only the wider of the title and the control.
    const QSize oneLine = QWidget::minimumSizeHint();
    return {std::max(m_title->minimumSizeHint().width(), controlWidth()), oneLine.height()};
}

void TitledControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int oneLine = m_title->minimumSizeHint().width() + std::max(0, m_row->spacing()) + controlWidth();
    setStacked(event->size().width() < oneLine);
}

void TitledControl::setStacked(bool stacked)
{
    if (stacked == m_stacked)
        return;
    m_stacked = stacked;
    if (stacked) {
        m_row->removeWidget(m_title);
        m_column->insertWidget(0, m_title);
    } else {
        m_column->removeWidget(m_title);
        m_row->insertWidget(0, m_title);
    }
}

} // namespace gaugelet
