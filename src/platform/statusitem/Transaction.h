#pragma once

namespace gaugelet {

// A group of layer changes made together. Our layers have no implicit
// animations, so every change inside a transaction simply lands in the next
// composition; the scope records whether actions were disabled, as callers
// state it, and nests.
//   { Transaction t; t.setDisableActions(true); layer->setFrame(...); }
class Transaction {
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void setDisableActions(bool disable);

    // Depth of open transactions on the main thread.
    static int depth();
    // Whether the innermost open transaction disabled actions (true when none
    // is open: we never animate implicitly).
    static bool disableActions();

private:
    bool m_saved;
};

} // namespace gaugelet
