#pragma once

class QWidget;

namespace gaugelet {

class StorePreview;

// The widgets of the store's bundle previews, kept apart from the adapters
// that describe them.
class StorePreviewViews {
public:
    // A new widget showing the preview, owned by parent (or the caller);
    // nullptr for a preview with no content.
    static QWidget* makeWidget(const StorePreview& preview, QWidget* parent = nullptr);
};

} // namespace gaugelet
