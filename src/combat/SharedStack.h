#pragma once

#include <QtGlobal>

#include <atomic>
#include <memory>

namespace combat {

// A stack whose copies share what they have in common: pushing onto a copy costs one
// node, however deep the stack is. A fight's turns live in one, so that every step of
// the undo history can hold the whole record of the fight for the price of a turn.
//
// A file decides how deep a stack is, so nothing here recurses over its nodes: a node freed
// frees the nodes below it that nobody else holds in a loop, not each one from the one above.
template <typename T>
class SharedStack
{
    // Never changed once pushed, but by the one who frees it.
    struct Node
    {
        T value;
        std::shared_ptr<Node> below;
        qsizetype depth;

        Node(T v, std::shared_ptr<Node> next, qsizetype d)
            : value(std::move(v))
            , below(std::move(next))
            , depth(d)
        {
        }
        Node(const Node &) = delete;
        Node &operator=(const Node &) = delete;
        ~Node()
        {
            // A node held by this loop alone is unlinked before it goes, so freeing it frees
            // nothing more; one another stack shares ends the loop. The fence orders the other
            // holders' last reads of a node before it is taken apart.
            std::shared_ptr<Node> next = std::move(below);
            while (next && next.use_count() == 1) {
                std::atomic_thread_fence(std::memory_order_acquire);
                std::shared_ptr<Node> after = std::move(next->below);
                next = std::move(after);
            }
        }
    };

public:
    bool isEmpty() const { return !m_top; }
    qsizetype size() const { return m_top ? m_top->depth : 0; }
    const T &top() const { return m_top->value; }

    void push(T value) { m_top = std::make_shared<Node>(std::move(value), m_top, size() + 1); }
    T pop()
    {
        T value = m_top->value;
        m_top = m_top->below;
        return value;
    }
    void clear() { m_top.reset(); }

    // Calls `visit` from the top down while it returns true.
    template <typename Visit>
    void walk(Visit visit) const
    {
        for (const Node *node = m_top.get(); node && visit(node->value); node = node->below.get()) {
        }
    }

    // The nodes this stack holds that `other` does not share.
    qsizetype unsharedWith(const SharedStack &other) const
    {
        const Node *mine = m_top.get();
        const Node *theirs = other.m_top.get();
        qsizetype count = 0;
        while (mine && mine != theirs) {
            if (theirs && theirs->depth >= mine->depth) {
                theirs = theirs->below.get();
                continue;
            }
            mine = mine->below.get();
            ++count;
        }
        return count;
    }

    bool operator==(const SharedStack &other) const
    {
        if (size() != other.size())
            return false;
        for (const Node *a = m_top.get(), *b = other.m_top.get(); a != b; a = a->below.get(), b = b->below.get()) {
            if (!(a->value == b->value))
                return false;
        }
        return true;
    }

private:
    std::shared_ptr<Node> m_top;
};

} // namespace combat
