#include "AlertMatcher.h"

#include <QSet>

#include <deque>

namespace corvane
{

AlertMatcher::AlertMatcher()
{
    build();
}

AlertMatcher::AlertMatcher(const QStringList &words, const QStringList &ignoreWords)
{
    m_words = usable(words);
    m_ignoreWords = usable(ignoreWords);
    build();
}

QStringList AlertMatcher::usable(const QStringList &words)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString &w : words) {
        if (w.trimmed().isEmpty() || seen.contains(w))
            continue;
        seen.insert(w);
        out << w;
    }
    return out;
}

int AlertMatcher::addPattern(const QString &text)
{
    const auto found = m_patternIds.constFind(text);
    if (found != m_patternIds.cend())
        return *found;
    const int id = int(m_patterns.size());
    m_patterns.push_back({});
    m_patternIds.insert(text, id);
    return id;
}

int AlertMatcher::charClass(char16_t c) const
{
    if (c < 256)
        return m_lowClass[c];
    return m_highClass.value(c, 0);
}

void AlertMatcher::build()
{
    for (const QString &w : std::as_const(m_words))
        m_patternOfWord.push_back(addPattern(w));
    for (const QString &w : std::as_const(m_ignoreWords)) {
        m_patterns[size_t(addPattern(w))].ignore = true;
        m_hasIgnore = true;
    }

    // The patterns by id, to build the trie.
    std::vector<const QString *> texts(m_patterns.size());
    for (auto it = m_patternIds.cbegin(); it != m_patternIds.cend(); ++it)
        texts[size_t(it.value())] = &it.key();
    for (const QString *t : texts)
        for (QChar ch : *t) {
            const char16_t c = ch.unicode();
            if (charClass(c) != 0)
                continue;
            if (c < 256)
                m_lowClass[c] = uint16_t(m_classes++);
            else
                m_highClass.insert(c, m_classes++);
        }

    // The trie: 0 is the root; -1 marks a missing edge until the table is
    // completed below.
    while ((1 << m_shift) < m_classes)
        ++m_shift;
    const size_t width = size_t(1) << m_shift;
    m_next.assign(width, -1);
    m_terminal.assign(1, -1);
    for (size_t id = 0; id < texts.size(); ++id) {
        int state = 0;
        for (QChar ch : *texts[id]) {
            const size_t slot = row(state) + size_t(charClass(ch.unicode()));
            if (m_next[slot] < 0) {
                m_next[slot] = int(m_terminal.size());
                m_terminal.push_back(-1);
                m_next.resize(m_next.size() + width, -1);
            }
            state = m_next[slot];
        }
        m_terminal[size_t(state)] = int(id);
    }

    // Breadth first: each missing edge takes the edge of the failure state,
    // and each state learns the nearest pattern on its failure chain.
    const size_t states = m_terminal.size();
    std::vector<int> fail(states, 0);
    m_output.assign(states, -1);
    std::deque<int> queue;
    for (int c = 0; c < m_classes; ++c) {
        int &to = m_next[size_t(c)];
        if (to < 0) {
            to = 0;
        } else {
            fail[size_t(to)] = 0;
            queue.push_back(to);
        }
    }
    while (!queue.empty()) {
        const int s = queue.front();
        queue.pop_front();
        const int f = fail[size_t(s)];
        m_output[size_t(s)] = m_terminal[size_t(f)] >= 0 ? f : m_output[size_t(f)];
        for (int c = 0; c < m_classes; ++c) {
            int &to = m_next[row(s) + size_t(c)];
            if (to < 0) {
                to = transition(f, c);
            } else {
                fail[size_t(to)] = transition(f, c);
                queue.push_back(to);
            }
        }
    }
    for (int c = 0; c < 256; ++c)
        m_rootStays[size_t(c)] = transition(0, m_lowClass[size_t(c)]) == 0;
    m_report.resize(states);
    for (size_t s = 0; s < states; ++s)
        m_report[s] = m_terminal[s] >= 0 ? int(s) : m_output[s];
}

std::vector<int> AlertMatcher::match(QStringView text) const
{
    std::vector<int> found;
    if (text.isEmpty() || m_words.isEmpty())
        return found;
    std::vector<char> seen(m_patterns.size(), 0);
    size_t left = m_patterns.size();
    // The scan reads through locals: the writes to seen could alias members.
    const int *next = m_next.data();
    const int *report = m_report.data();
    const uint16_t *lowClass = m_lowClass.data();
    const bool *rootStays = m_rootStays.data();
    const int shift = m_shift;
    const char16_t *c = reinterpret_cast<const char16_t *>(text.data());
    const char16_t *end = c + text.size();
    int state = 0;
    for (; c != end && left > 0; ++c) {
        if (state == 0) {
            while (c != end && *c < 256 && rootStays[*c])
                ++c;
            if (c == end)
                break;
        }
        const int cls = *c < 256 ? lowClass[*c] : charClass(*c);
        state = next[(size_t(state) << shift) + size_t(cls)];
        // Down the chain of patterns ending here; a pattern seen before
        // means the rest of its chain was seen with it.
        for (int s = report[state]; s >= 0; s = m_output[size_t(s)]) {
            const int id = m_terminal[size_t(s)];
            if (seen[size_t(id)])
                break;
            if (m_patterns[size_t(id)].ignore)
                return {};
            seen[size_t(id)] = 1;
            --left;
        }
    }
    for (size_t w = 0; w < m_patternOfWord.size(); ++w) {
        if (seen[size_t(m_patternOfWord[w])])
            found.push_back(int(w));
    }
    return found;
}

QStringList AlertMatcher::matchedWords(QStringView text) const
{
    QStringList out;
    for (int w : match(text))
        out << m_words[w];
    return out;
}

QList<AlertRow> AlertMatcher::rowsFor(const QStringList &texts, const QString &dateTime) const
{
    QList<AlertRow> rows;
    for (const QString &text : texts)
        for (int w : match(text))
            rows.append({dateTime, m_words[w], text});
    return rows;
}

} // namespace corvane
