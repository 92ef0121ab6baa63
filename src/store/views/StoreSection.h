#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace gaugelet {

// One section of the store tab's grouped form: an optional header above a
// rounded panel whose rows are parted by thin separators. Rows are handed in
// as widgets and can be reordered without being rebuilt.
class StoreSection : public QWidget {
    Q_OBJECT

public:
    explicit StoreSection(QWidget* parent = nullptr);

    // An empty header hides the header line.
    void setHeader(const QString& header);
    QString header() const;
    // Shows exactly these widgets as the rows, in this order. Rows that were
    // shown before and are not in the list are taken out (not deleted).
    void setRows(const QList<QWidget*>& rows);
    const QList<QWidget*>& rows() const { return m_rows; }
    QWidget* panel() const;

private:
    class Panel;

    QLabel* m_header;
    Panel* m_panel;
    QVBoxLayout* m_panelLayout;
    QList<QWidget*> m_rows;
};

} // namespace gaugelet
