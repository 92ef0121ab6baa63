#pragma once

#include <QWidget>
#include <functional>

class QPushButton;

namespace gaugelet {

class SetupChecklist;

// The content of the first-run setup window: a title, the setup checklist
// and a "Continue" button (also Return) that calls onContinue. It is
// `fixedWidth` wide and as tall as its content with one card's illustration
// shown, at any font: the window keeps its size while cards open and close.
class SetupWindowView : public QWidget {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 630;

    explicit SetupWindowView(std::function<void()> onContinue, QWidget* parent = nullptr);

    SetupChecklist* checklist() const { return m_checklist; }
    QPushButton* continueButton() const { return m_continue; }

    // The height that fits the content with one illustration shown.
    int fittedHeight() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void restyle();
    void fitHeight();

    std::function<void()> m_onContinue;
    SetupChecklist* m_checklist = nullptr;
    QWidget* m_title = nullptr;
    QPushButton* m_continue = nullptr;
};

} // namespace gaugelet
