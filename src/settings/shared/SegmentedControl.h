#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QLabel;

namespace gaugelet {

// A segmented picker: a label and a row of joined buttons, one of which is
// chosen. Only a user's click reports (activated); setCurrentIndex is silent.
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    SegmentedControl(const QString& title, const QStringList& options, QWidget* parent = nullptr);

    int currentIndex() const;
    void setCurrentIndex(int index);
    QAbstractButton* button(int index) const;
    int count() const;
    QLabel* titleLabel() const { return m_title; }

Q_SIGNALS:
    void activated(int index);

private:
    QLabel* m_title = nullptr;
    QButtonGroup* m_group = nullptr;
};

} // namespace gaugelet
