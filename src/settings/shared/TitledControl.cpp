#include "settings/shared/TitledControl.h"

#include <QHBoxLayout>
#include <QLabel>

namespace gaugelet {

TitledControl::TitledControl(const QString& title, QWidget* parent)
    : QWidget(parent), m_row(new QHBoxLayout(this)), m_title(new QLabel(title, this))
{
    m_row->setContentsMargins(0, 0, 0, 0);
    m_title->setTextFormat(Qt::PlainText);
    m_row->addWidget(m_title);
    m_row->addStretch(1);
}

} // namespace gaugelet
