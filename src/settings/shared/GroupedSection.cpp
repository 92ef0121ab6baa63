#include "settings/shared/GroupedSection.h"

#include "platform/style/DesignStyle.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace gaugelet {

namespace {

// The panel behind a section's rows: a rounded rectangle a shade off the window.
class SectionPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QColor fill = DesignStyle::colour(DesignStyle::Colour::quaternary, this);
        fill.setAlphaF(DesignStyle::isDark(palette()) ? 0.06 : 0.035);
        p.setPen(QPen(DesignStyle::colour(DesignStyle::Colour::separator, this), 1));
        p.setBrush(fill);
        p.drawRoundedRect(r, 8, 8);
    }
};

} // namespace

GroupedSection::GroupedSection(const QString& header, QWidget* parent) : QWidget(parent)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(6);

    m_header = new QLabel(header, this);
    m_header->setFont(DesignStyle::font(DesignStyle::TextStyle::headline));
    m_header->setContentsMargins(4, 0, 0, 0);
    outer->addWidget(m_header);

    m_body = new SectionPanel(this);
    m_rows = new QVBoxLayout(m_body);
    m_rows->setContentsMargins(12, 10, 12, 10);
    m_rows->setSpacing(8);
    outer->addWidget(m_body);
}

void GroupedSection::addRow(QWidget* row)
{
    m_rows->addWidget(row);
}

void GroupedSection::addLayoutRow(QLayout* layout)
{
    m_rows->addLayout(layout);
}

} // namespace gaugelet
