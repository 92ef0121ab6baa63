#include "settings/themes/ConfigRow.h"

#include "platform/style/DesignStyle.h"
#include "settings/shared/SettingsText.h"
#include "views/Spacing.h"
#include "views/TextLabel.h"

#include <QFontDatabase>
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
    m_title = TextLabel::make(title, DesignStyle::TextStyle::body, DesignStyle::Colour::primary, this);
    QFont medium = m_title->font();
    medium.setWeight(QFont::Medium);
    m_title->setFont(medium);
    header->addWidget(m_title, 0, Qt::AlignVCenter);
    header->addStretch(1);
    m_idLabel = TextLabel::make(id, DesignStyle::TextStyle::caption2, DesignStyle::Colour::tertiary, this);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(DesignStyle::font(DesignStyle::TextStyle::caption2).pointSizeF());
    m_idLabel->setFont(mono);
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
