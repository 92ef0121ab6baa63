#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace gaugelet {

// One block of a pinned sprite's label styling: a rounded panel in the
// control background, a semibold caption title over the block's rows, and
// "Reset to defaults" at the trailing end below them.
class StylingBlock : public QWidget {
    Q_OBJECT
public:
    // Puts the block's fields back to their defaults (the reset button's click).
    virtual void resetToDefaults() = 0;

    QLabel* titleLabel() const { return m_title; }
    QPushButton* resetButton() const { return m_reset; }

protected:
    StylingBlock(const QString& title, QWidget* parent);

    // The column the rows go into, under the title.
    QVBoxLayout* column() const;
    // Ends the column with the reset button.
    void addResetButton();

    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_title = nullptr;
    QPushButton* m_reset = nullptr;
};

} // namespace gaugelet
