#pragma once

#include "store/AlertLog.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstdint>
#include <vector>

namespace corvane
{

// The watched words compiled once, so that one pass over a live text finds
// every word it holds (an Aho-Corasick automaton over the UTF-16 text).
// The result is what searching the text for each listed word in turn gives
// (plain, case-sensitive substring): the entries found, in list order. A
// text that holds any of the ignore words gives nothing. Blank words are
// left out of both lists, since they would raise or silence every alert,
// and a word listed twice is kept once, so that one finding is one alert.
class AlertMatcher
{
public:
    AlertMatcher(); // no words: finds nothing
    explicit AlertMatcher(const QStringList &words, const QStringList &ignoreWords = {});

    const QStringList &words() const { return m_words; }
    const QStringList &ignoreWords() const { return m_ignoreWords; }
    bool isEmpty() const { return m_words.isEmpty(); }

    // Indexes into words() of the entries found in text, in list order.
    std::vector<int> match(QStringView text) const;
    // The words themselves, in the same order.
    QStringList matchedWords(QStringView text) const;
    // The alert log rows for texts handled together: one a word found, text
    // by text, each with the whole text and the time given.
    QList<AlertRow> rowsFor(const QStringList &texts, const QString &dateTime) const;

private:
    // The words less the blank ones and the repeats, in list order.
    static QStringList usable(const QStringList &words);
    struct Pattern {
        bool ignore = false;
    };
    void build();
    int addPattern(const QString &text);
    int charClass(char16_t c) const;
    size_t row(int state) const { return size_t(state) << m_shift; }
    int transition(int state, int cls) const { return m_next[row(state) + size_t(cls)]; }

    QStringList m_words;
    QStringList m_ignoreWords;
    std::vector<int> m_patternOfWord;
    std::vector<Pattern> m_patterns;
    QHash<QString, int> m_patternIds;

    // Character classes: every character that occurs in a pattern has its
    // own, all others share class 0.
    std::array<uint16_t, 256> m_lowClass{};
    // Characters below 256 that leave the start state where it is: the scan
    // skips them in a tight loop, which is most of a text.
    std::array<bool, 256> m_rootStays{};
    QHash<char16_t, int> m_highClass;
    int m_classes = 1;
    int m_shift = 0; // rows of the table are 1 << m_shift wide, for a shift in the scan
    // Trie built first, then made a full transition table.
    std::vector<int> m_next;     // row(state) + class -> state
    std::vector<int> m_terminal; // pattern ending at the state, or -1
    std::vector<int> m_output;   // nearest state down the failure chain with a pattern, or -1
    std::vector<int> m_report;   // the state itself when it has a pattern, else m_output
    bool m_hasIgnore = false;
};

} // namespace corvane
