#pragma once

#include <QAbstractButton>
#include <optional>

namespace gaugelet {

// The footer's update button: a download symbol and "Update <version>" (or
// "Update available") in the accent colour on a pale accent capsule.
class UpdateBadge : public QAbstractButton {
    Q_OBJECT
public:
    explicit UpdateBadge(QWidget* parent = nullptr);

    // "Update 1.4.2", or "Update available" without a known version.
    static QString title(const std::optional<QString>& latestVersion);
    void setLatestVersion(const std::optional<QString>& latestVersion);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace gaugelet
