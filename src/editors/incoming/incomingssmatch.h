#pragma once

#include <QRegExp>
#include <QString>
#include <QtGlobal>
#include <QStringList>

#include <atomic>

// Matches example replies with QRegExp (case-sensitive, RegExp2 syntax,
// greedy), as the show controller reads the stored patterns, without letting
// one keystroke freeze the window.
//
// QRegExp cannot be interrupted, and its cost varies by orders of magnitude:
// counted repetitions are copied out when compiled (a nested one multiplies),
// each character costs more with every state alive, and a failed search
// starts again at every position. So:
// - a pattern whose copied-out size passes PatternSizeLimit is treated as one
//   that does not compile;
// - a match first runs on growing prefixes of the text (1, 4, 16, ...
//   characters), and the whole text is matched only when the growth seen so
//   far says it ends within what is left of the budget.
// A refused check reports no match and clears checked.
//
// A capture search over plain rows (literal text and single characters or
// classes, each repeated or not, in groups that are not themselves
// repeated) never lets QRegExp restart at every position: the leftmost
// start and the longest end are found first in one pass per piece, and
// QRegExp only reads the captures of that one span.
class IncomingMatcher
{
public:
    // budgetMs: the time one refresh (format check and capture search
    // together) may take; a refresh begins with Restart. Times are the
    // thread's processor time, so a busy machine does not skew the forecasts.
    explicit IncomingMatcher(int budgetMs = 150);

    void Restart();
    // While *cancelled is set (the flag outlives the matcher's use), every
    // check is refused at its next step; null watches nothing.
    void SetCancelFlag(const std::atomic<bool>* cancelled) { m_pCancelled = cancelled; }
    bool Cancelled() const { return m_pCancelled && m_pCancelled->load(std::memory_order_relaxed); }
    // What is left of the budget, in nanoseconds (never below 0).
    qint64 RemainingNs() const;

    // Whether pattern compiles: QRegExp accepts it and it is within PatternSizeLimit.
    bool Compiles(const QString& pattern) { return Compiled(pattern) != nullptr; }
    // Whether pattern matches all of text.
    bool ExactMatch(const QString& pattern, const QString& text, bool* checked);
    // The first match of pattern in text (searched from position 0): groups 1
    // to groupCount (at most the pattern's) into captures, or false (captures
    // empty) without a match. matchesWhole: the caller knows a match spans
    // all of text, so the search ends at position 0.
    bool Search(const QString& pattern, const QString& text, int groupCount, QStringList* captures,
                bool* checked, bool matchesWhole = false);
    // The first match of pattern in text at or after from: its position and
    // length, or -1 without a match (or when the search was refused).
    int Find(const QString& pattern, const QString& text, int from, int* length, bool* checked);

    // The size of pattern's automaton with every counted repetition copied
    // out; a repetition of a part that repeats itself counts its copies
    // squared (the copies link to each other).
    static double PatternSize(const QString& pattern);
    static constexpr double PatternSizeLimit = 200000;

    // The span [*start, *end) of the leftmost, then longest, match of
    // pattern in text when pattern is made of plain rows; returns false
    // when it is not (the caller falls back to a search), and *start = -1
    // when there is no match. Linear in text for each piece of pattern.
    static bool PlainSpan(const QString& pattern, const QString& text, qsizetype* start, qsizetype* end);

private:
    // The compiled pattern, kept for the next refresh: a keystroke in the
    // example changes no pattern. Null for a pattern that is not compiled.
    QRegExp* Compiled(const QString& pattern);

    const std::atomic<bool>* m_pCancelled = nullptr;  // not owned
    qint64 m_BudgetNs;
    qint64 m_StartNs = 0;
    // The last two patterns (the format and the capture expression).
    QString m_Patterns[2];
    QRegExp m_Compiled[2];
    int m_Oldest = 0;
};
