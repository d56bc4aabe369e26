// The list of level edges touched during the current record-mode frame, which
// the scene drawing shows in blue.
#pragma once

#include <cstdint>
#include <vector>

struct EdgeRef {
    int32_t triangle;  // index in the level
    int32_t edge;      // 0..2: edge k runs from vertex k to vertex (k + 1) % 3
};

inline bool operator==(const EdgeRef& a, const EdgeRef& b) {
    return a.triangle == b.triangle && a.edge == b.edge;
}

// Duplicates are kept: the same edge touched in several substeps or by several
// balls is listed once per touch. Only membership is ever asked, so entries
// are stored newest-last and the list keeps its capacity across frames.
class ContactList {
public:
    void clear() { entries_.clear(); }
    void pushFront(EdgeRef e) { entries_.push_back(e); }
    bool contains(EdgeRef e) const {
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
            if (*it == e) return true;
        return false;
    }
    std::size_t size() const { return entries_.size(); }

private:
    std::vector<EdgeRef> entries_;
};

extern ContactList contactList;
