#include "rules/GlobTrie.h"

#include <algorithm>

int GlobTrie::child(int node, char16_t c, bool create) {
    if (c == u'*' || c == u'?') {
        int& edge = c == u'*' ? m_nodes[size_t(node)].star : m_nodes[size_t(node)].any;
        if (edge < 0 && create) {
            const int fresh = int(m_nodes.size());
            m_nodes.emplace_back();
            (c == u'*' ? m_nodes[size_t(node)].star : m_nodes[size_t(node)].any) = fresh;
            return fresh;
        }
        return edge;
    }
    auto& kids = m_nodes[size_t(node)].kids;
    auto it = std::lower_bound(
        kids.begin(), kids.end(), c,
        [](const std::pair<char16_t, int>& kid, char16_t ch) { return kid.first < ch; });
    if (it != kids.end() && it->first == c)
        return it->second;
    if (!create)
        return -1;
    const int fresh = int(m_nodes.size());
    kids.insert(it, {c, fresh});
    m_nodes.emplace_back();
    return fresh;
}

void GlobTrie::insert(QStringView pattern, int index) {
    int node = 0;
    for (const QChar c : pattern)
        node = child(node, c.unicode(), true);
    Node& end = m_nodes[size_t(node)];
    end.index = std::min(end.index, index);
}

void GlobTrie::settleLowest() {
    // Children are always created after their parent, so one pass from the back settles every
    // subtree before its parent reads it.
    for (size_t i = m_nodes.size(); i-- > 0;) {
        Node& n = m_nodes[i];
        int lowest = n.index;
        for (const auto& kid : n.kids)
            lowest = std::min(lowest, m_nodes[size_t(kid.second)].lowest);
        if (n.any >= 0)
            lowest = std::min(lowest, m_nodes[size_t(n.any)].lowest);
        if (n.star >= 0)
            lowest = std::min(lowest, m_nodes[size_t(n.star)].lowest);
        n.lowest = lowest;
    }
}

void GlobTrie::finish() {
    settleLowest();
    m_nodes.shrink_to_fit();
}

void GlobTrie::walk(int node, const char16_t* text, qsizetype pos, qsizetype len, int& best) const {
    const Node& n = m_nodes[size_t(node)];
    // Nothing below can beat what was already found.
    if (n.lowest >= best)
        return;
    if (n.star >= 0) {
        for (qsizetype k = pos; k <= len; ++k)
            walk(n.star, text, k, len, best);
    }
    if (pos == len) {
        best = std::min(best, n.index);
        return;
    }
    if (n.any >= 0)
        walk(n.any, text, pos + 1, len, best);
    const char16_t c = text[pos];
    auto it = std::lower_bound(
        n.kids.begin(), n.kids.end(), c,
        [](const std::pair<char16_t, int>& kid, char16_t ch) { return kid.first < ch; });
    if (it != n.kids.end() && it->first == c)
        walk(it->second, text, pos + 1, len, best);
}

int GlobTrie::firstMatch(QStringView text) const {
    int best = kNone;
    walk(0, reinterpret_cast<const char16_t*>(text.utf16()), 0, text.size(), best);
    return best;
}
