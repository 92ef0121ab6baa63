#include "popover/FiringAlarmsRow.h"

#include "alarms/AlarmLine.h"
#include "alarms/AlarmManager.h"
#include "platform/style/DesignStyle.h"
#include "views/Spacing.h"
#include "views/Symbol.h"
#include "views/TextLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace gaugelet {

namespace {

QPushButton* smallButton(const QString& title, QWidget* parent)
{
    auto* button = new QPushButton(title, parent);
    button->setFont(DesignStyle::font(DesignStyle::TextStyle::caption));
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return button;
}

} // namespace

FiringAlarmsRow::FiringAlarmsRow(const ViewEnvironment& env, QWidget* parent)
    : QWidget(parent)
    , m_env(env)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(Spacing::px(Spacing::Step::s));

    const QColor red = DesignStyle::colour(DesignStyle::Colour::red, this);
    const QFont headline = DesignStyle::font(DesignStyle::TextStyle::headline);
    auto* title = new QHBoxLayout;
    title->setSpacing(Spacing::px(Spacing::Step::s));
    auto* bell = new QLabel(this);
    const int side = QFontMetrics(headline).height();
    const qreal dpr = devicePixelRatioF();
    bell->setPixmap(Symbol::pixmap(QStringLiteral("bell.fill"), side, red, dpr));
    title->addWidget(bell);
    auto* firing = new QLabel(tr("Firing"), this);
    firing->setFont(headline);
    TextLabel::setColour(firing, red);
    title->addWidget(firing);
    title->addStretch(1);
    column->addLayout(title);

    if (!env.alarms)
        return;
    const QFont caption = DesignStyle::font(DesignStyle::TextStyle::caption);
    for (const Alarm& alarm : firingAlarms(*env.alarms)) {
        auto* line = new QHBoxLayout;
        auto* text = new QLabel(this);
        text->setTextFormat(Qt::PlainText);
        text->setFont(caption);
        text->setText(alarmLine(alarm, env.registry));
        line->addWidget(text);
        line->addStretch(1);
        QPushButton* suppress = smallButton(tr("Suppress"), this);
        suppress->setToolTip(tr("Deactivate this alarm. Re-enable from Settings to resume."));
        QPushButton* snooze = smallButton(snoozeTitle(alarm), this);
        line->addWidget(suppress);
        line->addWidget(snooze);
        column->addLayout(line);

        const QUuid id = alarm.id;
        const qint64 minutes = alarm.notifySnoozeMinutes;
        AlarmManager* manager = env.alarms;
        QPointer<AlarmManager> weak(manager);
        connect(suppress, &QPushButton::clicked, this, [weak, id] {
            if (weak)
                weak->suppress(id);
        });
        connect(snooze, &QPushButton::clicked, this, [weak, id, minutes] {
            if (weak)
                weak->snooze(id, minutes);
        });
        m_lines.append(Line{id, text->text(), suppress, snooze});
    }
}

QList<Alarm> FiringAlarmsRow::firingAlarms(const AlarmManager& alarms)
{
    QList<Alarm> result;
    for (const Alarm& alarm : alarms.alarms()) {
        if (alarms.firing().contains(alarm.id))
            result.append(alarm);
    }
    return result;
}

QString FiringAlarmsRow::snoozeTitle(const Alarm& alarm)
{
    return tr("Snooze %1m").arg(alarm.notifySnoozeMinutes);
}

} // namespace gaugelet
