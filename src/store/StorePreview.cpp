#include "store/StorePreview.h"

namespace gaugelet {

StorePreview::StorePreview(QString kind, Content content) : m_kind(std::move(kind)), m_content(std::move(content)) { }

} // namespace gaugelet
