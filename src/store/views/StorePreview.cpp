#include "store/views/StorePreview.h"

#include "platform/core/MainThread.h"

#include <QWidget>

namespace gaugelet {

StorePreview::StorePreview(QString kind, Factory factory) : m_kind(std::move(kind)), m_factory(std::move(factory)) {}

QWidget* StorePreview::makeWidget(QWidget* parent) const
{
    GAUGELET_ASSERT_MAIN_THREAD();
    return m_factory ? m_factory(parent) : nullptr;
}

} // namespace gaugelet
