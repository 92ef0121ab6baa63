#pragma once

#include <QList>
#include <utility>

namespace gaugelet {

// The samplers' smoothing: the newest `Capacity` readings, oldest first, and
// their mean. A reading is a number or a record; for a record the mean is
// taken per field and the other fields are the newest reading's.
template <typename T, int Capacity>
class MovingAverage {
public:
    static constexpr int capacity = Capacity;

    // Adds the newest reading, dropping the oldest once the ring is full.
    void append(T value)
    {
        if (m_ring.size() >= Capacity)
            m_ring.removeFirst();
        m_ring.append(std::move(value));
    }

    bool isEmpty() const { return m_ring.isEmpty(); }
    qsizetype size() const { return m_ring.size(); }
    const T& newest() const { return m_ring.last(); }

    // The mean of the readings themselves (numbers); 0 when empty.
    double mean() const
    {
        return meanOf([](const T& value) { return double(value); });
    }

    // The mean of one field over the ring; 0 when empty.
    template <typename Member>
    double mean(Member member) const
    {
        return meanOf([member](const T& value) { return double(value.*member); });
    }

    // The newest reading with each of the given fields replaced by its mean.
    // Only when not empty.
    template <typename... Members>
    T newestWithMeans(Members... members) const
    {
        T result = newest();
        ((result.*members = mean(members)), ...);
        return result;
    }

private:
    template <typename Get>
    double meanOf(Get get) const
    {
        if (m_ring.isEmpty())
            return 0;
        double sum = 0;
        for (const T& value : m_ring)
            sum += get(value);
        return sum / double(m_ring.size());
    }

    QList<T> m_ring;
};

} // namespace gaugelet
