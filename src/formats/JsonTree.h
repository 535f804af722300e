#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

namespace corvane
{

// A JSON text parsed in place: one node per value, pointing into the text,
// which must outlive the tree. Strings are decoded only when asked for, so
// reading a few fields of a large object costs little. The nodes are kept
// between parses: a reader that reuses its tree does not allocate.
class JsonTree
{
public:
    enum class Type { Object, Array, String, Number, True, False, Null };
    static constexpr int kNone = -1;
    // Deeper nesting is refused rather than followed.
    static constexpr int kMaxDepth = 64;

    // False for anything that is not one well-formed JSON value, alone but
    // for white space.
    bool parse(QByteArrayView text);

    int root() const { return m_nodes.empty() ? kNone : 0; }
    Type type(int node) const { return m_nodes[size_t(node)].type; }
    bool isObject(int node) const { return node != kNone && type(node) == Type::Object; }
    // The member of an object by its key (as written, escapes not decoded);
    // kNone when node is no object or has no such member.
    int member(int node, QByteArrayView key) const;
    // Follows keys from node, member by member.
    int path(int node, std::initializer_list<QByteArrayView> keys) const;

    // A string member's text; empty for anything else.
    QString string(int node) const;
    std::optional<double> number(int node) const;
    bool isTrue(int node) const { return node != kNone && type(node) == Type::True; }

private:
    struct Node {
        Type type;
        QByteArrayView key; // inside an object, the key; raw, between the quotes
        QByteArrayView raw; // strings: between the quotes; numbers: the digits
        int firstChild = kNone;
        int nextSibling = kNone;
    };

    bool value(int depth, QByteArrayView key, int &index);
    bool container(int depth, int index, char close);
    bool stringToken(QByteArrayView &out);
    bool numberToken(QByteArrayView &out);
    bool literal(QByteArrayView word);
    void skipSpace();
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return m_text[m_pos]; }

    std::vector<Node> m_nodes;
    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

} // namespace corvane
