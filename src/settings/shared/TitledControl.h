#pragma once

#include <QString>
#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace gaugelet {

// A settings control on one row: its title (plain text) at the leading edge,
// the control's own widgets at the trailing edge.
class TitledControl : public QWidget {
    Q_OBJECT
public:
    QLabel* titleLabel() const { return m_title; }

protected:
    TitledControl(const QString& title, QWidget* parent);
    // The row; what is added goes after the title and the space after it.
    QHBoxLayout* row() const { return m_row; }

private:
    QHBoxLayout* m_row;
    QLabel* m_title;
};

} // namespace gaugelet
