#pragma once

#include <QComboBox>
#include <QIcon>
#include <QList>
#include <QString>
#include <QVariant>

namespace gaugelet {

// A menu-style picker of the alarm editor: texts tagged with the value that
// choosing them writes, with dividers. Loading items or the selection never
// emits anything and leaves an unchanged menu (and an open popup) alone; only
// the user's choice is reported, through chosen().
class AlarmMenuPicker : public QComboBox {
    Q_OBJECT
public:
    struct Item {
        QString text;
        QVariant tag;
        QIcon icon;
        bool divider = false;

        static Item entry(QString text, QVariant tag, QIcon icon = {})
        {
            return Item{std::move(text), std::move(tag), std::move(icon), false};
        }
        static Item separator() { return Item{{}, {}, {}, true}; }
        bool operator==(const Item& other) const
        {
            return divider == other.divider && text == other.text && tag == other.tag
                && icon.cacheKey() == other.icon.cacheKey();
        }
    };

    explicit AlarmMenuPicker(QWidget* parent = nullptr);

    // Shows the items and selects the first one tagged `current`.
    void load(const QList<Item>& items, const QVariant& current);
    const QList<Item>& items() const { return m_items; }
    QVariant currentTag() const;
    // The index of the first item tagged `tag`, or -1.
    int indexOfTag(const QVariant& tag) const;

Q_SIGNALS:
    // The user chose an item (also when it was already selected).
    void chosen(const QVariant& tag);

private:
    QList<Item> m_items;
};

} // namespace gaugelet
