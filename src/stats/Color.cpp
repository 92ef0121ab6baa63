#include "stats/Color.h"

#include <algorithm>
#include <cmath>

namespace gaugelet {

std::optional<QColor> Color::fromHex(QStringView text)
{
    if (text.startsWith(QLatin1Char('#')))
        text = text.mid(1);
    if (text.size() != 6 && text.size() != 8)
        return std::nullopt;
    quint64 bits = 0;
    for (QChar c : text) {
        int digit;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = c.unicode() - '0';
        else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            digit = c.unicode() - 'a' + 10;
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
            digit = c.unicode() - 'A' + 10;
        else
            return std::nullopt;
        bits = (bits << 4) | quint64(digit);
    }
    int r, g, b;
    double a = 1.0;
    if (text.size() == 6) {
        r = int((bits >> 16) & 0xFF);
        g = int((bits >> 8) & 0xFF);
        b = int(bits & 0xFF);
    } else {
        r = int((bits >> 24) & 0xFF);
        g = int((bits >> 16) & 0xFF);
        b = int((bits >> 8) & 0xFF);
        a = double(bits & 0xFF) / 255.0;
    }
    QColor color = QColor::fromRgbF(float(r / 255.0), float(g / 255.0), float(b / 255.0), float(a));
    return color;
}

QString Color::hexString(const QColor& color)
{
    float r = 0, g = 0, b = 0, a = 0;
    if (color.isValid())
        color.toRgb().getRgbF(&r, &g, &b, &a);
    // Round halves away from zero, then clamp: always two digits per component.
    auto component = [](float f) {
        const double scaled = std::isfinite(f) ? std::round(double(f) * 255.0) : 0.0;
        return int(std::clamp(scaled, 0.0, 255.0));
    };
    return QString::asprintf("#%02X%02X%02X%02X", component(r), component(g), component(b), component(a));
}

} // namespace gaugelet
