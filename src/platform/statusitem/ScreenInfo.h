#pragma once

#include <QObject>
#include <QPoint>
#include <QRectF>
#include <optional>

class QScreen;

namespace gaugelet {

// What the program needs to know about one screen, in points (device-independent pixels).
struct ScreenFacts {
    QRectF frame;          // the whole screen
    QRectF visibleFrame;   // less panels and docks
    double backingScaleFactor = 1.0;
};

// Screen facts and changes: the main (primary) screen, the screen at a point,
// the status bar's thickness, and one signal for any change of the screen
// configuration (a screen added or removed, the primary changing, a
// geometry or scale change).
class ScreenInfo : public QObject {
    Q_OBJECT
public:
    static ScreenInfo* instance();

    // The status bar's thickness in points.
    static constexpr double statusBarThickness = 22.0;

    // The main screen, none without a screen (or without a GUI application).
    std::optional<ScreenFacts> mainScreen() const;
    // The screen holding the point (global, points), else none.
    std::optional<ScreenFacts> screenAt(const QPoint& point) const;
    // The main screen's backing scale factor, 2.0 when there is no screen.
    double mainBackingScaleFactor() const;

    static ScreenFacts factsOf(const QScreen* screen);

    // Test seam: replaces the main screen's facts (a nullopt inner value
    // means "no screen"); reset with resetOverrideForTesting. Emits screensChanged.
    void setMainScreenForTesting(std::optional<ScreenFacts> facts);
    void resetOverrideForTesting();

Q_SIGNALS:
    void screensChanged();

private:
    explicit ScreenInfo(QObject* parent);
    void watch(QScreen* screen);

    bool m_overridden = false;
    std::optional<ScreenFacts> m_override;
};

} // namespace gaugelet
