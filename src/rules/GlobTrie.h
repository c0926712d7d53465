#pragma once

#include <QStringView>
#include <climits>
#include <vector>

// Wildcard patterns ('*' any run, '?' one character, everything else literal) in one prefix
// tree, so that a text is matched against thousands of patterns by walking its characters
// once, not pattern by pattern. Each pattern carries an index; a lookup gives the lowest index
// of the patterns that match the whole text.
class GlobTrie {
public:
    static constexpr int kNone = INT_MAX;

    void reserve(size_t characters) { m_nodes.reserve(characters + 1); }
    void insert(QStringView pattern, int index);
    // Call once after the last insert, before lookups.
    void finish();
    int firstMatch(QStringView text) const;
    bool empty() const { return m_nodes.size() <= 1; }

private:
    struct Node {
        std::vector<std::pair<char16_t, int>> kids; // sorted by character
        int any = -1;                               // the '?' edge
        int star = -1;                              // the '*' edge
        int index = kNone;                          // lowest index of a pattern ending here
        int lowest = kNone;                         // lowest index in this subtree
    };
    int child(int node, char16_t c, bool create);
    void settleLowest();
    void walk(int node, const char16_t* text, qsizetype pos, qsizetype len, int& best) const;

    std::vector<Node> m_nodes{Node{}};
};
