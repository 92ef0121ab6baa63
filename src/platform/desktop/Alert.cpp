#include "platform/desktop/Alert.h"

#include "platform/core/MainThread.h"

#include <QList>
#include <QMessageBox>
#include <QPushButton>

namespace gaugelet {

int Alert::runModal() const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QMessageBox box;
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QStringLiteral("Gaugelet"));
    box.setTextFormat(Qt::PlainText);
    box.setText(messageText);
    box.setInformativeText(informativeText);
    QList<QPushButton*> added;
    // One role for every button keeps them in the order given.
    for (const QString& title : buttons)
        added.append(box.addButton(title, QMessageBox::ActionRole));
    if (added.isEmpty())
        added.append(box.addButton(QMessageBox::tr("OK"), QMessageBox::ActionRole));
    box.setDefaultButton(added.first());
    box.setEscapeButton(added.last());
    box.exec();
    const int chosen = int(added.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
    if (chosen < 0 || buttons.isEmpty())
        return int(buttons.size()) - 1;
    return chosen;
}

} // namespace gaugelet
