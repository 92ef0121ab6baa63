#include "views/GroupedSection.h"

#include "platform/style/DesignStyle.h"
#include "views/Spacing.h"

#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace gaugelet {

using Step = Spacing::Step;

// The rounded panel: its fill and outline and, in a separated section, a
// hairline between visible rows.
class GroupedSection::Panel : public QWidget {
public:
    explicit Panel(GroupedSection* section) : QWidget(section), m_section(section) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor separator = DesignStyle::colour(DesignStyle::Colour::separator, this);
        const bool dark = DesignStyle::isDark(palette());
        // A card a shade off the window: lighter in the dark, white-ish in the
        // light; on a window that is white already, a faint grey instead.
        QColor fill = dark ? QColor(255, 255, 255, 14) : QColor(255, 255, 255, 190);
        if (!dark && DesignStyle::colour(DesignStyle::Colour::windowBackground, this).lightness() > 245)
            fill = QColor(0, 0, 0, 8);
        p.setPen(QPen(separator, 1));
        p.setBrush(fill);
        const qreal radius = Spacing::cornerRadius();
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        if (m_section->rowStyle() != Rows::separated)
            return;
        p.setRenderHint(QPainter::Antialiasing, false);
        const int inset = Spacing::px(Step::l);
        const int half = Spacing::px(Step::m);
        bool first = true;
        for (int i = 0; i < layout()->count(); ++i) {
            const QRect item = layout()->itemAt(i)->geometry();
            QWidget* widget = layout()->itemAt(i)->widget();
            if (widget ? !widget->isVisible() : item.isEmpty())
                continue;
            if (!first)
                p.fillRect(QRect(inset, item.top() - half - 1, width() - 2 * inset, 1), separator);
            first = false;
        }
    }

private:
    GroupedSection* m_section;
};

GroupedSection::GroupedSection(const QString& header, QWidget* parent, Rows rows)
    : QWidget(parent), m_rowStyle(rows)
{
    auto* column = new QVBoxLayout(this);
    Spacing::apply(column, Step::none, Step::s);
    m_header = new QLabel(this);
    m_header->setTextFormat(Qt::PlainText);
    m_header->setFont(DesignStyle::font(DesignStyle::TextStyle::headline));
    m_header->setContentsMargins(Spacing::margins(Step::xs, Step::none, Step::none, Step::none));
    column->addWidget(m_header);
    setHeader(header);

    m_panel = new Panel(this);
    m_rowsLayout = new QVBoxLayout(m_panel);
    // Separated rows: a padding above and below the hairline between them.
    const int gap = rows == Rows::separated ? 2 * Spacing::px(Step::m) + 1 : Spacing::px(Step::m);
    m_rowsLayout->setContentsMargins(Spacing::margins(Step::l, Step::m));
    m_rowsLayout->setSpacing(gap);
    column->addWidget(m_panel);
}

void GroupedSection::setHeader(const QString& header)
{
    m_header->setText(header);
    m_header->setVisible(!header.isEmpty());
}

QString GroupedSection::header() const { return m_header->text(); }

QWidget* GroupedSection::panel() const { return m_panel; }

void GroupedSection::addRow(QWidget* row)
{
    m_rowsLayout->addWidget(row);
    m_rows.append(row);
    m_panel->update();
}

void GroupedSection::addLayoutRow(QLayout* layout)
{
    m_rowsLayout->addLayout(layout);
    m_panel->update();
}

void GroupedSection::setRows(const QList<QWidget*>& rows)
{
    if (rows == m_rows)
        return;
    while (m_rowsLayout->count() > 0)
        delete m_rowsLayout->takeAt(0);
    for (QWidget* old : std::as_const(m_rows)) {
        if (!rows.contains(old))
            old->hide();
    }
    m_rows = rows;
    for (QWidget* row : rows) {
        if (row->parentWidget() != m_panel)
            row->setParent(m_panel);
        m_rowsLayout->addWidget(row);
        row->show();
    }
    m_panel->update();
}

} // namespace gaugelet
