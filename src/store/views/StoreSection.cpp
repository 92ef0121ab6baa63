#include "store/views/StoreSection.h"

#include "platform/style/DesignStyle.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace gaugelet {

namespace {
constexpr int kRowPaddingH = 10;
constexpr int kRowPaddingV = 8;
constexpr qreal kPanelRadius = 8;
} // namespace

// The rounded panel: its fill and outline, and a separator above every row
// but the first.
class StoreSection::Panel : public QWidget {
public:
    explicit Panel(StoreSection* section) : QWidget(section), m_section(section) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        const bool dark = DesignStyle::isDark(palette());
        // A card a shade off the window: lighter in the dark, white-ish in the light.
        const QColor fill = dark ? QColor(255, 255, 255, 14) : QColor(255, 255, 255, 190);
        p.setPen(QPen(DesignStyle::colour(DesignStyle::Colour::separator, this), 1));
        p.setBrush(fill);
        p.drawRoundedRect(box, kPanelRadius, kPanelRadius);

        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(DesignStyle::colour(DesignStyle::Colour::separator, this), 1));
        bool first = true;
        for (QWidget* row : m_section->rows()) {
            if (!row->isVisible())
                continue;
            if (!first) {
                const int y = row->geometry().top() - kRowPaddingV;
                p.drawLine(QPoint(kRowPaddingH, y), QPoint(width() - kRowPaddingH, y));
            }
            first = false;
        }
    }

private:
    StoreSection* m_section;
};

StoreSection::StoreSection(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    m_header = new QLabel(this);
    m_header->setTextFormat(Qt::PlainText);
    QFont headerFont = DesignStyle::font(DesignStyle::TextStyle::headline);
    m_header->setFont(headerFont);
    m_header->setContentsMargins(kRowPaddingH, 0, 0, 0);
    m_header->hide();
    layout->addWidget(m_header);

    m_panel = new Panel(this);
    m_panelLayout = new QVBoxLayout(m_panel);
    m_panelLayout->setContentsMargins(kRowPaddingH, kRowPaddingV, kRowPaddingH, kRowPaddingV);
    // Two paddings between rows, the separator in the middle.
    m_panelLayout->setSpacing(2 * kRowPaddingV + 1);
    layout->addWidget(m_panel);
}

void StoreSection::setHeader(const QString& header)
{
    m_header->setText(header);
    m_header->setVisible(!header.isEmpty());
}

QWidget* StoreSection::panel() const { return m_panel; }

QString StoreSection::header() const { return m_header->text(); }

void StoreSection::setRows(const QList<QWidget*>& rows)
{
    if (rows == m_rows)
        return;
    while (m_panelLayout->count() > 0)
        delete m_panelLayout->takeAt(0);
    for (QWidget* old : std::as_const(m_rows)) {
        if (!rows.contains(old))
            old->hide();
    }
    m_rows = rows;
    for (QWidget* row : rows) {
        if (row->parentWidget() != m_panel)
            row->setParent(m_panel);
        m_panelLayout->addWidget(row);
        row->show();
    }
    m_panel->update();
}

} // namespace gaugelet
