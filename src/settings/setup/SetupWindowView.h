#pragma once

#include <QWidget>
#include <functional>

class QPushButton;

namespace gaugelet {

class SetupChecklist;

// The content of the first-run setup window: a title, the setup checklist
// and a "Continue" button (also Return) that calls onContinue.
class SetupWindowView : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize fixedSize{630, 560};

    explicit SetupWindowView(std::function<void()> onContinue, QWidget* parent = nullptr);

    SetupChecklist* checklist() const { return m_checklist; }
    QPushButton* continueButton() const { return m_continue; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void restyle();

    std::function<void()> m_onContinue;
    SetupChecklist* m_checklist = nullptr;
    QWidget* m_title = nullptr;
    QPushButton* m_continue = nullptr;
};

} // namespace gaugelet
