#include "platform/statusitem/Transaction.h"

#include "platform/core/MainThread.h"

namespace gaugelet {

namespace {
int g_depth = 0;
bool g_disableActions = true;
} // namespace

Transaction::Transaction() : m_saved(g_disableActions)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    ++g_depth;
}

Transaction::~Transaction()
{
    --g_depth;
    g_disableActions = m_saved;
}

void Transaction::setDisableActions(bool disable)
{
    g_disableActions = disable;
}

int Transaction::depth()
{
    return g_depth;
}

bool Transaction::disableActions()
{
    return g_disableActions;
}

} // namespace gaugelet
