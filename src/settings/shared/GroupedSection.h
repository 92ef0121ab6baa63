#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace gaugelet {

// One section of a settings form in the grouped style: a text header above a
// rounded panel that holds the section's rows, one under the other.
class GroupedSection : public QWidget {
    Q_OBJECT
public:
    explicit GroupedSection(const QString& header, QWidget* parent = nullptr);

    QLabel* headerLabel() const { return m_header; }
    QWidget* body() const { return m_body; }
    // Appends a row (the section takes ownership).
    void addRow(QWidget* row);
    void addLayoutRow(class QLayout* layout);
    QVBoxLayout* rows() const { return m_rows; }

private:
    QLabel* m_header = nullptr;
    QWidget* m_body = nullptr;
    QVBoxLayout* m_rows = nullptr;
};

} // namespace gaugelet
