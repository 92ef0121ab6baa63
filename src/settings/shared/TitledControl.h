#pragma once

#include <QString>
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QVBoxLayout;

namespace gaugelet {

// A settings control on one row: its title (plain text) at the leading edge,
// the control's own widgets at the trailing edge. Where the row is too narrow
// for both (a large font in a narrow column), the title stands over the
// control instead, so neither is cut.
class TitledControl : public QWidget {
    Q_OBJECT
public:
    QLabel* titleLabel() const { return m_title; }
    bool isStacked() const { return m_stacked; }

    QSize minimumSizeHint() const override;

protected:
    TitledControl(const QString& title, QWidget* parent);
    // The row; what is added goes after the title and the space after it.
    QHBoxLayout* row() const { return m_row; }

    void resizeEvent(QResizeEvent* event) override;

private:
    // The least width of the control's own widgets, without the title.
    int controlWidth() const;
    void setStacked(bool stacked);

    QVBoxLayout* m_column;
    QHBoxLayout* m_row;
    QLabel* m_title;
    bool m_stacked = false;
};

} // namespace gaugelet
