#include "alarms/views/AlarmMenuPicker.h"
#include "views/WheelGuard.h"

#include <QSignalBlocker>

namespace gaugelet {

AlarmMenuPicker::AlarmMenuPicker(QWidget* parent) : QComboBox(parent)
{
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    WheelGuard::install(this);
    connect(this, &QComboBox::activated, this, [this](int index) {
        const QVariant tag = itemData(index);
        if (tag.isValid())
            Q_EMIT chosen(tag);
    });
}

void AlarmMenuPicker::load(const QList<Item>& items, const QVariant& current)
{
    const QSignalBlocker block(this);
    if (items != m_items) {
        m_items = items;
        clear();
        for (const Item& item : items) {
            if (item.divider)
                insertSeparator(count());
            else
                addItem(item.icon, item.text, item.tag);
        }
    }
    const int index = indexOfTag(current);
    if (index != currentIndex())
        setCurrentIndex(index);
}

QVariant AlarmMenuPicker::currentTag() const
{
    return currentIndex() >= 0 ? itemData(currentIndex()) : QVariant();
}

int AlarmMenuPicker::indexOfTag(const QVariant& tag) const
{
    for (int i = 0; i < count(); ++i) {
        const QVariant data = itemData(i);
        if (data.isValid() && data == tag)
            return i;
    }
    return -1;
}

} // namespace gaugelet
