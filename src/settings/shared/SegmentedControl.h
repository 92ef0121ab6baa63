#pragma once

#include "settings/shared/TitledControl.h"

#include <QStringList>

class QAbstractButton;
class QButtonGroup;

namespace gaugelet {

// A segmented picker: a label and a row of joined buttons, one of which is
// chosen. Only a user's click reports (activated); setCurrentIndex is silent.
class SegmentedControl : public TitledControl {
    Q_OBJECT
public:
    SegmentedControl(const QString& title, const QStringList& options, QWidget* parent = nullptr);

    int currentIndex() const;
    void setCurrentIndex(int index);
    QAbstractButton* button(int index) const;
    int count() const;

Q_SIGNALS:
    void activated(int index);

private:
    QButtonGroup* m_group = nullptr;
};

} // namespace gaugelet
