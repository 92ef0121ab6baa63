#pragma once

#include <QBoxLayout>
#include <QHash>
#include <QLayout>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <functional>

namespace gaugelet {

// The rows of a list view kept in step with its data by key: a key that stays
// keeps its widget (updated in place, so focus, hover, a running preview and
// the scroll position survive), a new key gets a new row, a key that went
// takes its row away, and the rows come back in the keys' order. Rows are
// owned by the view's widgets; this only tracks them.
template <typename Key, typename Row>
class KeyedRows {
public:
    // How a row leaves: at once (before any new row is made, for rows whose
    // destructor must run first) or on the next turn (a row that may be in the
    // middle of delivering a click).
    enum class Removal { now, later };

    using Create = std::function<Row*(const Key&)>;
    // Brings a kept row up to date; false when the row cannot show the key's
    // data any more and a new one must take its place.
    using Update = std::function<bool(Row*, const Key&)>;

    explicit KeyedRows(Removal removal = Removal::later) : m_removal(removal) {}

    // Matches the rows to `keys` (in order; a repeated key counts once) and
    // returns them in that order.
    QList<Row*> reconcile(const QList<Key>& keys, const Create& create, const Update& update = {})
    {
        const QSet<Key> wanted(keys.cbegin(), keys.cend());
        for (auto it = m_rows.begin(); it != m_rows.end();) {
            if (!wanted.contains(it.key()) || !it.value()) {
                remove(it.value());
                it = m_rows.erase(it);
            } else {
                ++it;
            }
        }
        QList<Row*> ordered;
        ordered.reserve(keys.size());
        QSet<Key> placed;
        for (const Key& key : keys) {
            if (placed.contains(key))
                continue;
            placed.insert(key);
            Row* row = m_rows.value(key);
            if (row && update && !update(row, key)) {
                remove(row);
                row = nullptr;
            }
            if (!row) {
                row = create(key);
                m_rows.insert(key, row);
            }
            ordered.append(row);
        }
        m_order = ordered;
        return ordered;
    }

    Row* row(const Key& key) const { return m_rows.value(key); }
    const QList<Row*>& rows() const { return m_order; }
    qsizetype size() const { return m_order.size(); }
    // Forgets every row without touching it (its widgets were deleted with
    // their parent).
    void forget()
    {
        m_rows.clear();
        m_order.clear();
    }

    // Puts the rows into a box layout in their order, starting at `first`
    // (items before it, a header say, stay where they are); rows already in
    // place are not moved.
    static void place(QBoxLayout* layout, const QList<Row*>& rows, int first = 0, Qt::Alignment alignment = {})
    {
        for (int i = 0; i < rows.size(); ++i) {
            Row* row = rows[i];
            if (layout->indexOf(row) == first + i)
                continue;
            layout->removeWidget(row);
            layout->insertWidget(first + i, row, 0, alignment);
        }
    }

private:
    void remove(Row* row)
    {
        if (!row)
            return;
        // Out of its layout at once, so the rows that stay keep their places.
        if (QWidget* parent = row->parentWidget(); parent && parent->layout())
            parent->layout()->removeWidget(row);
        if (m_removal == Removal::now) {
            delete row;
        } else {
            row->hide();
            row->deleteLater();
        }
    }

    Removal m_removal;
    QHash<Key, QPointer<Row>> m_rows;
    QList<Row*> m_order;
};

} // namespace gaugelet
