#include "charts/PopupToolTip.h"

namespace gaugelet {

QString PopupToolTip::fromPlainText(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return QStringLiteral("<qt>") + escaped + QStringLiteral("</qt>");
}

} // namespace gaugelet
