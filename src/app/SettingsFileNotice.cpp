#include "app/SettingsFileNotice.h"

#include "platform/core/MainThread.h"

namespace gaugelet {

SettingsFileNotice::SettingsFileNotice(Defaults* defaults, QObject* parent)
    : QObject(parent), m_defaults(defaults)
{
    GAUGELET_ASSERT_MAIN_THREAD();
}

void SettingsFileNotice::start()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_defaults)
        return;
    connect(m_defaults.data(), &Defaults::fileProblemFound, this, &SettingsFileNotice::postIfNeeded,
            Qt::QueuedConnection);
    postIfNeeded();
}

UserNotificationCenter::Request SettingsFileNotice::request(const Defaults::FileProblem& problem)
{
    UserNotificationCenter::Request request;
    request.identifier = QStringLiteral("settings-file");
    switch (problem.kind) {
    case Defaults::FileProblem::Kind::notSaving:
        request.title = tr("Gaugelet cannot save its settings");
        request.body = tr("%1: %2. Changes you make will be lost when Gaugelet quits.").arg(problem.path, problem.reason);
        break;
    case Defaults::FileProblem::Kind::keptAside:
        request.title = tr("Gaugelet could not read its settings");
        request.body = tr("%1: %2. It was kept as %3, and Gaugelet started with default settings.")
                           .arg(problem.path, problem.reason, problem.asidePath);
        break;
    }
    return request;
}

void SettingsFileNotice::postIfNeeded()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_defaults)
        return;
    const QList<Defaults::FileProblem> problems = m_defaults->fileProblems();
    for (; m_posted < problems.size(); ++m_posted) {
        UserNotificationCenter::Request next = request(problems.at(m_posted));
        if (m_posted > 0)
            next.identifier += QStringLiteral("-%1").arg(m_posted + 1);
        UserNotificationCenter::current()->add(next);
    }
}

} // namespace gaugelet
