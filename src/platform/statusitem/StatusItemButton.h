#pragma once

#include "platform/statusitem/Layer.h"
#include "platform/statusitem/ScreenInfo.h"

#include <QImage>
#include <QRectF>
#include <optional>

namespace gaugelet {

class StatusItem;

// The status item's button: the host layer that tiles are added to, its
// bounds (the item's width by the status bar's thickness), an optional image
// drawn centred in the item, and the facts the layout asks of it.
class StatusItemButton {
public:
    // The host layer: everything added to it is composited into the item.
    const Layer::Ptr& layer() const { return m_layer; }
    QRectF bounds() const { return m_layer->bounds(); }

    // The image shown in the button (the idle logo), drawn at its point size
    // (pixels / devicePixelRatio), centred. A template image is tinted for the
    // panel: white in a dark appearance, black in a light one.
    const QImage& image() const { return m_image; }
    bool isImageTemplate() const { return m_template; }
    void setImage(const QImage& image, bool isTemplate = false);
    QSizeF imageSize() const;

    // The screen of the button's window: the screen of the last click, as the
    // panel does not tell where it put us; none before any click.
    std::optional<ScreenFacts> windowScreen() const;

    // Whether the button's effective appearance is dark.
    bool isDarkAppearance() const;

private:
    friend class StatusItem;
    explicit StatusItemButton(StatusItem* item);

    StatusItem* m_item;
    Layer::Ptr m_layer;
    QImage m_image;
    bool m_template = false;
};

} // namespace gaugelet
