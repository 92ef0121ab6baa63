#include "views/ToolTip.h"

#include <QWidget>

namespace gaugelet {

QString ToolTip::fromPlainText(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return QStringLiteral("<qt>") + escaped + QStringLiteral("</qt>");
}

void ToolTip::set(QWidget* widget, const QString& text)
{
    widget->setToolTip(fromPlainText(text));
}

} // namespace gaugelet
