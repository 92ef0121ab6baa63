#pragma once

#include <QPushButton>

namespace gaugelet {

// The small buttons of the store rows: "Install" filled with the accent
// colour (the prominent look) and "Remove" bordered with red text (the
// destructive look). Painted from the design's colours, light and dark.
class StoreActionButton : public QPushButton {
    Q_OBJECT

public:
    enum class Role { prominent, destructive };

    StoreActionButton(const QString& text, Role role, QWidget* parent = nullptr);

    Role role() const { return m_role; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Role m_role;
};

} // namespace gaugelet
