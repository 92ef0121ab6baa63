#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QLabel;
class QLayout;
class QVBoxLayout;

namespace gaugelet {

// One section of a grouped form, the one look every settings tab, the alarms
// pane and the store share: an optional header (plain text, headline font)
// above a rounded panel a shade off the window that holds the section's rows,
// one under the other. Separated sections draw a hairline between rows (a
// list of items); compact ones leave a gap (a form's controls). Rows can be
// handed in again in another order without being rebuilt.
class GroupedSection : public QWidget {
    Q_OBJECT
public:
    enum class Rows { separated, compact };

    explicit GroupedSection(const QString& header = {}, QWidget* parent = nullptr, Rows rows = Rows::separated);

    // An empty header hides the header line.
    void setHeader(const QString& header);
    QString header() const;
    QLabel* headerLabel() const { return m_header; }
    // The panel the rows sit on (their parent).
    QWidget* panel() const;
    Rows rowStyle() const { return m_rowStyle; }

    // Appends a row (the section takes ownership).
    void addRow(QWidget* row);
    // Appends a row built as a layout (compact sections only draw no line
    // above it; separated ones draw one like above any row).
    void addLayoutRow(QLayout* layout);
    // Shows exactly these widgets as the rows, in this order. Rows that were
    // shown before and are not in the list are taken out and hidden (not
    // deleted: their owner decides).
    void setRows(const QList<QWidget*>& rows);
    const QList<QWidget*>& rows() const { return m_rows; }

private:
    class Panel;

    QLabel* m_header;
    Panel* m_panel;
    QVBoxLayout* m_rowsLayout;
    QList<QWidget*> m_rows;
    Rows m_rowStyle;
};

} // namespace gaugelet
