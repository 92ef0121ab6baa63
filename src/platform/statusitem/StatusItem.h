#pragma once

#include "platform/statusitem/Layer.h"
#include "platform/statusitem/LayerCompositor.h"
#include "platform/statusitem/StatusItemButton.h"

#include <QDBusConnection>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <functional>
#include <memory>
#include <optional>

namespace gaugelet {

class SniStatusItem;

// The program's one item in the desktop's status area. It has a button (a
// host layer plus an optional image), a length in points (variableLength lets
// the content decide) and an action run on clicks with the click position.
// Its layer tree is composited once per main-loop turn after any change, at 1×
// and 2×; the composed pictures are published as a StatusNotifierItem (with
// the QSystemTrayIcon fallback when no StatusNotifierWatcher exists).
class StatusItem : public QObject {
    Q_OBJECT
public:
    enum class Presentation {
        statusNotifier, // published on the session bus (fallback: tray icon)
        none,           // composed only (tests, previews)
    };

    static constexpr double variableLength = -1.0;

    explicit StatusItem(Presentation presentation = Presentation::statusNotifier, QObject* parent = nullptr);
    // Published as a StatusNotifierItem on the given bus (tests use a private one).
    explicit StatusItem(const QDBusConnection& bus, QObject* parent = nullptr);
    ~StatusItem() override;

    StatusItemButton* button() { return m_button.get(); }
    const StatusItemButton* button() const { return m_button.get(); }

    double length() const { return m_length; }
    void setLength(double length);
    // The item's size in points: the length (or, when variable, the image's
    // width plus a small margin, or a square without an image) by the thickness.
    QSizeF size() const;

    // The action of clicks (left, right and middle alike).
    void setAction(std::function<void(QPoint)> action);
    void performAction(const QPoint& globalPosition);
    std::optional<QPoint> lastClickPosition() const { return m_lastClick; }

    // The last composed pictures, at 1× and 2× (devicePixelRatio set).
    const QImage& image1x() const { return m_image1x; }
    const QImage& image2x() const { return m_image2x; }

    LayerCompositor* compositor() const { return m_compositor.get(); }
    SniStatusItem* statusNotifier() const { return m_sni; }

Q_SIGNALS:
    // After every composition, when image1x/image2x are new.
    void imageChanged();

private:
    friend class StatusItemButton;
    void buttonImageChanged();
    void updateGeometry();
    void composeImages();
    QImage presentedButtonImage() const;
    void setUp();

    std::unique_ptr<StatusItemButton> m_button;
    Layer::Ptr m_canvas;
    Layer::Ptr m_imageLayer;
    std::unique_ptr<LayerCompositor> m_compositor;
    double m_length = variableLength;
    std::function<void(QPoint)> m_action;
    std::optional<QPoint> m_lastClick;
    QImage m_image1x;
    QImage m_image2x;
    SniStatusItem* m_sni = nullptr;
};

} // namespace gaugelet
