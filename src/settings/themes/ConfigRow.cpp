#include "settings/themes/ConfigRow.h"

#include "platform/style/DesignStyle.h"
#include "views/Spacing.h"
#include "views/TextLook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace gaugelet {

ConfigRow::ConfigRow(const QString& title, const QString& id, QWidget* content, QWidget* parent)
    : QWidget(parent), m_titleText(title), m_id(id), m_content(content)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(Spacing::px(Spacing::Step::xs));

    auto* header = new QHBoxLayout;
    m_title =
        TextLook::weightedLabel(title, DesignStyle::TextStyle::body, QFont::Medium, DesignStyle::Colour::primary, this);
    header->addWidget(m_title, 0, Qt::AlignVCenter);
    header->addStretch(1);
    m_idLabel = TextLook::identifier(id, this);
    header->addWidget(m_idLabel, 0, Qt::AlignVCenter);
    column->addLayout(header);

    if (m_content) {
        m_content->setParent(this);
        m_content->setSizePolicy(QSizePolicy::Expanding, m_content->sizePolicy().verticalPolicy());
        column->addWidget(m_content, 0, Qt::AlignLeft);
        column->setAlignment(m_content, Qt::Alignment());
    }
}

} // namespace gaugelet
