#pragma once

#include <QString>
#include <QStringList>

namespace gaugelet {

// A modal alert of the warning style: a message, an informative text and
// buttons in the given order. runModal() answers the index of the chosen
// button; closing the alert or pressing Escape chooses the last button (the
// alerts of this program end with "Quit"), as does an alert without buttons.
struct Alert {
    QString messageText;
    QString informativeText;
    QStringList buttons;

    bool operator==(const Alert&) const = default;

    int runModal() const;
};

} // namespace gaugelet
