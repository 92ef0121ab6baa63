#pragma once

#include <QColor>
#include <QString>
#include <QStringView>
#include <optional>

namespace gaugelet {

// Colours as stored in settings and files: "#" (optional when reading) and
// six (opacity 1) or eight hex digits (alpha last), sRGB.
class Color {
public:
    static std::optional<QColor> fromHex(QStringView text);
    // Always "#RRGGBBAA", upper case; an invalid colour is clear ("#00000000").
    static QString hexString(const QColor& color);
};

} // namespace gaugelet
