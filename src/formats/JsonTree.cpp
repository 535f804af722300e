#include "JsonTree.h"

#include <charconv>

namespace corvane
{

namespace
{

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Four hex digits at s; -1 when they are not.
int hex4(QByteArrayView s)
{
    if (s.size() < 4)
        return -1;
    int v = 0;
    for (int i = 0; i < 4; ++i) {
        const int d = hexDigit(s[i]);
        if (d < 0)
            return -1;
        v = v * 16 + d;
    }
    return v;
}

// Decodes the escapes of a string the parser has checked.
QString unescape(QByteArrayView raw)
{
    QString out;
    out.reserve(raw.size());
    qsizetype plainFrom = 0;
    const auto flushPlain = [&](qsizetype to) {
        out += QString::fromUtf8(raw.sliced(plainFrom, to - plainFrom));
    };
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\')
            continue;
        flushPlain(i);
        const char e = raw[++i];
        switch (e) {
        case 'b':
            out += u'\b';
            break;
        case 'f':
            out += u'\f';
            break;
        case 'n':
            out += u'\n';
            break;
        case 'r':
            out += u'\r';
            break;
        case 't':
            out += u'\t';
            break;
        case 'u': {
            const int unit = hex4(raw.sliced(i + 1));
            out += QChar(char16_t(unit));
            i += 4;
            break;
        }
        default: // '"', '\\', '/'
            out += QLatin1Char(e);
        }
        plainFrom = i + 1;
    }
    flushPlain(raw.size());
    return out;
}

} // namespace

bool JsonTree::parse(QByteArrayView text)
{
    m_nodes.clear();
    m_text = text;
    m_pos = 0;
    int index = kNone;
    if (!value(0, {}, index))
        return false;
    skipSpace();
    return atEnd();
}

void JsonTree::skipSpace()
{
    while (!atEnd()) {
        const char c = peek();
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return;
        ++m_pos;
    }
}

bool JsonTree::value(int depth, QByteArrayView key, int &index)
{
    skipSpace();
    if (atEnd() || depth > kMaxDepth)
        return false;
    index = int(m_nodes.size());
    m_nodes.push_back({Type::Null, key, {}});
    const char c = peek();
    Node node{Type::Null, key, {}};
    bool ok = false;
    switch (c) {
    case '{':
        m_nodes[size_t(index)].type = Type::Object;
        ++m_pos;
        return container(depth, index, '}');
    case '[':
        m_nodes[size_t(index)].type = Type::Array;
        ++m_pos;
        return container(depth, index, ']');
    case '"':
        node.type = Type::String;
        ok = stringToken(node.raw);
        break;
    case 't':
        node.type = Type::True;
        ok = literal("true");
        break;
    case 'f':
        node.type = Type::False;
        ok = literal("false");
        break;
    case 'n':
        ok = literal("null");
        break;
    default:
        node.type = Type::Number;
        ok = numberToken(node.raw);
    }
    m_nodes[size_t(index)] = node;
    return ok;
}

bool JsonTree::container(int depth, int index, char close)
{
    const bool isObject = close == '}';
    skipSpace();
    if (!atEnd() && peek() == close) {
        ++m_pos;
        return true;
    }
    int previous = kNone;
    for (;;) {
        QByteArrayView key;
        if (isObject) {
            skipSpace();
            if (atEnd() || peek() != '"' || !stringToken(key))
                return false;
            skipSpace();
            if (atEnd() || peek() != ':')
                return false;
            ++m_pos;
        }
        int child = kNone;
        if (!value(depth + 1, key, child))
            return false;
        if (previous == kNone)
            m_nodes[size_t(index)].firstChild = child;
        else
            m_nodes[size_t(previous)].nextSibling = child;
        previous = child;
        skipSpace();
        if (atEnd())
            return false;
        const char c = m_text[m_pos++];
        if (c == close)
            return true;
        if (c != ',')
            return false;
    }
}

bool JsonTree::stringToken(QByteArrayView &out)
{
    const qsizetype start = ++m_pos; // after the opening quote
    while (!atEnd()) {
        const char c = m_text[m_pos];
        if (c == '"') {
            out = m_text.sliced(start, m_pos - start);
            ++m_pos;
            return true;
        }
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
        if (c == '\\') {
            if (m_pos + 1 >= m_text.size())
                return false;
            const char e = m_text[m_pos + 1];
            if (e == 'u') {
                if (hex4(m_text.sliced(m_pos + 2)) < 0)
                    return false;
                m_pos += 6;
                continue;
            }
            if (e != '"' && e != '\\' && e != '/' && e != 'b' && e != 'f' && e != 'n' && e != 'r' &&
                e != 't')
                return false;
            m_pos += 2;
            continue;
        }
        ++m_pos;
    }
    return false;
}

bool JsonTree::numberToken(QByteArrayView &out)
{
    const qsizetype start = m_pos;
    while (!atEnd()) {
        const char c = peek();
        if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E'))
            break;
        ++m_pos;
    }
    out = m_text.sliced(start, m_pos - start);
    // The digits must read as a number, all of them.
    double v = 0;
    const auto [end, ec] = std::from_chars(out.data(), out.data() + out.size(), v);
    return !out.isEmpty() && ec == std::errc() && end == out.data() + out.size() &&
           out.front() != '+';
}

bool JsonTree::literal(QByteArrayView word)
{
    if (!m_text.sliced(m_pos).startsWith(word))
        return false;
    m_pos += word.size();
    return true;
}

int JsonTree::member(int node, QByteArrayView key) const
{
    if (!isObject(node))
        return kNone;
    for (int c = m_nodes[size_t(node)].firstChild; c != kNone; c = m_nodes[size_t(c)].nextSibling)
        if (m_nodes[size_t(c)].key == key)
            return c;
    return kNone;
}

int JsonTree::path(int node, std::initializer_list<QByteArrayView> keys) const
{
    for (const QByteArrayView key : keys)
        node = member(node, key);
    return node;
}

QString JsonTree::string(int node) const
{
    if (node == kNone || type(node) != Type::String)
        return {};
    const QByteArrayView raw = m_nodes[size_t(node)].raw;
    if (!raw.contains('\\'))
        return QString::fromUtf8(raw);
    return unescape(raw);
}

std::optional<double> JsonTree::number(int node) const
{
    if (node == kNone || type(node) != Type::Number)
        return std::nullopt;
    const QByteArrayView raw = m_nodes[size_t(node)].raw;
    double v = 0;
    std::from_chars(raw.data(), raw.data() + raw.size(), v);
    return v;
}

} // namespace corvane
