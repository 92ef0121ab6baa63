#include "platform/windows/Alert.h"

#include "platform/core/MainThread.h"

#include <QLabel>
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
    // The informative text may come from a server: shown as it stands, never
    // read as markup with live links, its line breaks kept.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
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
