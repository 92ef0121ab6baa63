#pragma once

#include "stats/Palette.h"
#include "stats/StatProvider.h"

#include <QObject>
#include <qcoro/qcorosignal.h>
#include <memory>

namespace gaugelet::test {

// Where gated samples wait. A public signal of its own: awaiting a private
// one (QTimer::timeout) binds a null QPrivateSignal reference.
class SampleGate : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void opened();
};

// A provider whose samples complete at once, or only when the test opens the
// gate (gated = true). Counts the samples started.
class TestProvider : public StatProvider {
public:
    TestProvider(QString id, QString shortName, bool gated = false)
        : m_id(std::move(id)), m_shortName(std::move(shortName)), m_gated(gated)
    {
        m_gate = std::make_shared<SampleGate>();
    }

    QString id() const override { return m_id; }
    QString displayName() const override { return m_id; }
    QString shortName() const override { return m_shortName; }
    double refreshInterval() const override { return interval; }
    QColor accentColor(const Palette& p) const override { return p.accent1; }

    QCoro::Task<StatSnapshot> sample() override
    {
        ++started;
        const double value = nextValue;
        auto gate = m_gate;
        if (m_gated)
            co_await qCoro(gate.get(), &SampleGate::opened);
        StatSnapshot s;
        s.value = value;
        s.label = QString::number(value);
        s.asOf = QDateTime::currentDateTimeUtc();
        co_return s;
    }

    // Completes every sample waiting at the gate.
    void open()
    {
        QMetaObject::invokeMethod(
            m_gate.get(), [gate = m_gate.get()] { Q_EMIT gate->opened(); }, Qt::QueuedConnection);
    }

    int started = 0;
    double nextValue = 0.5;
    double interval = 1.0;

private:
    QString m_id;
    QString m_shortName;
    bool m_gated;
    std::shared_ptr<SampleGate> m_gate;
};

} // namespace gaugelet::test
