#include "editors/incoming/incomingssmatch.h"

#include <QRegExp>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace {

// Processor time of the calling thread.
qint64 ThreadNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Below this a timing is mostly noise and says nothing about growth.
constexpr qint64 kMeasurableNs = 50'000;
// A whole-text match forecast below this runs without further probing.
constexpr double kSurelyQuickNs = 2'000'000;
constexpr double kSteepestGrowth = 4;

// Runs run(text) when it is expected to end within remainingNs(): run is
// first timed on prefixes of 1, 4, 16, ... characters, and each timing is
// extrapolated to the whole text with the growth between the last two
// (never below minGrowth). Returns false, without running it on the whole
// text, when the forecast exceeds the remaining budget.
template <typename Run, typename Remaining>
bool RunWithinBudget(const QString& text, double minGrowth, Run&& run, Remaining&& remainingNs,
                     const IncomingMatcher& matcher)
{
    const qsizetype length = text.size();
    qint64 previousNs = 0;
    qsizetype previousLength = 0;
    const auto timed = [&](const QString& part) {
        const qint64 start = ThreadNs();
        run(part);
        return std::max<qint64>(ThreadNs() - start, 1);
    };
    for (qsizetype prefix = 1; prefix < length; prefix *= 4) {
        if (matcher.Cancelled())
            return false;
        const QString part = text.left(prefix);
        qint64 ns = timed(part);
        double growth = 0;
        double likely = 0;
        const double scale = double(length) / double(prefix);
        const auto forecast = [&] {
            growth = 0;
            if (previousNs > kMeasurableNs / 8 && ns > kMeasurableNs)
                growth = std::log(double(ns) / double(previousNs)) / std::log(double(prefix) / double(previousLength));
            likely = double(ns) * std::pow(scale, std::clamp(growth, minGrowth, kSteepestGrowth));
        };
        forecast();
        const double cautious = double(ns) * std::pow(scale, std::clamp(growth, 2.0, kSteepestGrowth));
        if (cautious <= kSurelyQuickNs)
            break;
        // A short run is mostly the call itself and says nothing of the rest;
        // a refusal is confirmed by a second run, since a machine that shares
        // its processors now and then charges a run for time it was not given.
        if (ns > kMeasurableNs && likely > double(remainingNs())) {
            ns = std::min(ns, timed(part));
            forecast();
            if (likely > double(remainingNs()))
                return false;
        }
        previousNs = ns;
        previousLength = prefix;
    }
    if (matcher.Cancelled())
        return false;
    run(text);
    return true;
}

// Reads {m,n}, {n}, {,n} or {m,} at pattern[i]; the number of copies the
// repetition makes (the lower bound plus one when there is no upper one),
// or 0 when the braces are not a repetition. end gets the index after '}'.
double RepetitionCopies(const QString& pattern, qsizetype i, qsizetype* end)
{
    qsizetype j = i + 1;
    double low = 0, high = -1;
    bool lowDigits = false, comma = false, highDigits = false;
    double* number = &low;
    for (; j < pattern.size() && pattern[j] != QLatin1Char('}'); ++j) {
        const QChar c = pattern[j];
        if (c.isDigit()) {
            if (number == &high && !highDigits)
                high = 0;
            *number = std::min(*number * 10 + c.digitValue(), 1e9);
            (number == &low ? lowDigits : highDigits) = true;
        } else if (c == QLatin1Char(',') && !comma) {
            comma = true;
            number = &high;
        } else {
            return 0;
        }
    }
    if (j >= pattern.size() || (!lowDigits && !highDigits))
        return 0;
    *end = j + 1;
    if (!comma)
        high = low;
    else if (!highDigits)
        high = low + 1;
    return std::max({low, high, 1.0});
}


// One piece of a plain pattern: a literal text, or one character kind
// repeated min to max times (max < 0: no upper bound).
struct Piece
{
    enum Kind { Literal, Any, Digits, Letters, Char } kind = Literal;
    QString literal;
    QChar c;
    qsizetype min = 1, max = 1;

    bool Takes(QChar x) const
    {
        switch (kind) {
        case Any: return true;
        case Digits: return x >= QLatin1Char('0') && x <= QLatin1Char('9');
        case Letters:
            return (x >= QLatin1Char('a') && x <= QLatin1Char('z')) || (x >= QLatin1Char('A') && x <= QLatin1Char('Z'));
        case Char: return x == c;
        default: return false;
        }
    }
};

int HexValue(QChar c)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        return c.unicode() - 'a' + 10;
    if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        return c.unicode() - 'A' + 10;
    return -1;
}

// Reads a pattern made of literal characters, ".", "[0-9]", "[A-Za-z]" and
// the escapes the rows write, each optionally followed by *, +, ? or a
// counted repetition, in groups that are not repeated. Anything else
// (alternatives, anchors, other classes or escapes, repeated groups) is not
// plain: false.
bool PlainPieces(const QString& pattern, std::vector<Piece>* pieces)
{
    std::vector<Piece> atoms;
    int depth = 0;
    bool quantifiable = false;
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = pattern[i];
        const char16_t u = c.unicode();
        if (u == '(') {
            if (i + 1 < n && pattern[i + 1] == QLatin1Char('?'))
                return false;
            ++depth;
            quantifiable = false;
            continue;
        }
        if (u == ')') {
            if (--depth < 0)
                return false;
            if (i + 1 < n && QStringView(u"*+?{").contains(pattern[i + 1]))
                return false;
            quantifiable = false;
            continue;
        }
        if (u == '*' || u == '+' || u == '?' || u == '{') {
            if (!quantifiable)
                return false;
            Piece& last = atoms.back();
            if (u == '*') {
                last.min = 0, last.max = -1;
            } else if (u == '+') {
                last.min = 1, last.max = -1;
            } else if (u == '?') {
                last.min = 0, last.max = 1;
            } else {
                const qsizetype close = pattern.indexOf(QLatin1Char('}'), i);
                if (close < 0)
                    return false;
                const QStringView inside = QStringView(pattern).mid(i + 1, close - i - 1);
                const qsizetype comma = inside.indexOf(QLatin1Char(','));
                bool lowOk = true, highOk = true;
                const QStringView low = comma < 0 ? inside : inside.first(comma);
                const QStringView high = comma < 0 ? inside : inside.mid(comma + 1);
                last.min = low.isEmpty() ? 0 : low.toInt(&lowOk);
                last.max = high.isEmpty() ? -1 : high.toInt(&highOk);
                if (!lowOk || !highOk || (low.isEmpty() && high.isEmpty()) || last.min < 0 ||
                    (last.max >= 0 && last.max < last.min))
                    return false;
                i = close;
            }
            quantifiable = false;
            continue;
        }
        Piece atom;
        atom.kind = Piece::Char;
        if (u == '\\') {
            if (++i >= n)
                return false;
            const QChar e = pattern[i];
            if (e == QLatin1Char('n')) {
                atom.c = QLatin1Char('\n');
            } else if (e == QLatin1Char('r')) {
                atom.c = QLatin1Char('\r');
            } else if (e == QLatin1Char('t')) {
                atom.c = QLatin1Char('\t');
            } else if (e == QLatin1Char('x')) {
                // As QRegExp reads it: up to four hex digits.
                int value = 0, digits = 0;
                while (digits < 4 && i + 1 < n && HexValue(pattern[i + 1]) >= 0) {
                    value = value * 16 + HexValue(pattern[++i]);
                    ++digits;
                }
                if (digits == 0)
                    return false;
                atom.c = QChar(char16_t(value));
            } else if (e.isLetterOrNumber() || e.unicode() > 127) {
                return false;
            } else {
                atom.c = e;
            }
        } else if (u == '.') {
            atom.kind = Piece::Any;
        } else if (u == '[') {
            const QStringView rest = QStringView(pattern).mid(i);
            if (rest.startsWith(u"[0-9]")) {
                atom.kind = Piece::Digits;
                i += 4;
            } else if (rest.startsWith(u"[A-Za-z]")) {
                atom.kind = Piece::Letters;
                i += 7;
            } else {
                return false;
            }
        } else if (u == '|' || u == '^' || u == '$' || u == ']' || u == '}') {
            return false;
        } else {
            atom.c = c;
        }
        atoms.push_back(atom);
        quantifiable = true;
    }
    if (depth != 0)
        return false;
    // Runs of single characters taken once are compared as one text.
    pieces->clear();
    for (const Piece& atom : atoms) {
        const bool once = atom.kind == Piece::Char && atom.min == 1 && atom.max == 1;
        if (once && !pieces->empty() && pieces->back().kind == Piece::Literal) {
            pieces->back().literal += atom.c;
        } else if (once) {
            Piece literal;
            literal.literal = QString(atom.c);
            pieces->push_back(literal);
        } else {
            pieces->push_back(atom);
        }
    }
    return true;
}

// A repetition's upper bound within a run of run characters.
qsizetype Upto(const Piece& piece, qsizetype run)
{
    return piece.max < 0 ? run : std::min(piece.max, run);
}

} // namespace

IncomingMatcher::IncomingMatcher(int budgetMs) : m_BudgetNs(qint64(budgetMs) * 1'000'000), m_StartNs(ThreadNs())
{
}

void IncomingMatcher::Restart()
{
    m_StartNs = ThreadNs();
}

qint64 IncomingMatcher::RemainingNs() const
{
    return std::max<qint64>(m_BudgetNs - (ThreadNs() - m_StartNs), 0);
}

QRegExp* IncomingMatcher::Compiled(const QString& pattern)
{
    int slot = 0;
    while (slot < 2 && (m_Patterns[slot] != pattern || m_Compiled[slot].pattern() != pattern))
        ++slot;
    if (slot == 2) {
        slot = m_Oldest;
        m_Oldest = 1 - m_Oldest;
        m_Patterns[slot] = pattern;
        m_Compiled[slot] = QRegExp();
        if (PatternSize(pattern) <= PatternSizeLimit)
            m_Compiled[slot] = QRegExp(pattern, Qt::CaseSensitive, QRegExp::RegExp2);
    }
    QRegExp& rx = m_Compiled[slot];
    return rx.pattern() == pattern && rx.isValid() ? &rx : nullptr;
}

bool IncomingMatcher::ExactMatch(const QString& pattern, const QString& text, bool* checked)
{
    *checked = true;
    QRegExp* rx = Compiled(pattern);
    if (!rx)
        return false;
    bool match = false;
    *checked = RunWithinBudget(
        text, 1.0, [&](const QString& part) { match = rx->exactMatch(part); }, [this] { return RemainingNs(); }, *this);
    return *checked && match;
}

bool IncomingMatcher::Search(const QString& pattern, const QString& text, int groupCount, QStringList* captures,
                             bool* checked, bool matchesWhole)
{
    captures->clear();
    *checked = true;
    QRegExp* rx = Compiled(pattern);
    if (!rx)
        return false;
    qsizetype start = -1, end = -1;
    if (PlainSpan(pattern, text, &start, &end)) {
        if (start < 0 || Cancelled()) {
            *checked = !Cancelled();
            return false;
        }
        // One anchored attempt over the span found: linear in its length.
        const QString span = text.mid(start, end - start);
        bool match = false;
        *checked = RunWithinBudget(
            span, 1.0, [&](const QString& part) { match = rx->exactMatch(part); }, [this] { return RemainingNs(); },
            *this);
        if (!*checked || !match)
            return false;
        for (int group = 1; group <= std::min(groupCount, rx->captureCount()); ++group)
            captures->append(rx->cap(group));
        return true;
    }
    int position = -1;
    // With a whole-text match the search stops at position 0, one attempt;
    // otherwise it may start again at every position.
    *checked = RunWithinBudget(
        text, matchesWhole ? 1.0 : 2.0, [&](const QString& part) { position = rx->indexIn(part); },
        [this] { return RemainingNs(); }, *this);
    if (!*checked || position < 0)
        return false;
    for (int group = 1; group <= std::min(groupCount, rx->captureCount()); ++group)
        captures->append(rx->cap(group));
    return true;
}

int IncomingMatcher::Find(const QString& pattern, const QString& text, int from, int* length, bool* checked)
{
    *length = 0;
    *checked = true;
    QRegExp* rx = Compiled(pattern);
    if (!rx)
        return -1;
    int position = -1;
    *checked = RunWithinBudget(
        text, 2.0, [&](const QString& part) { position = rx->indexIn(part, std::min<int>(from, int(part.size()))); },
        [this] { return RemainingNs(); }, *this);
    if (!*checked || position < 0)
        return -1;
    *length = rx->matchedLength();
    return position;
}

double IncomingMatcher::PatternSize(const QString& pattern)
{
    struct Group
    {
        double alternatives = 0;  // the finished branches
        double branch = 0;        // the branch being read
        bool repeats = false;     // holds a quantifier
    };
    std::vector<Group> groups(1);
    double lastUnit = 0;  // size of the atom or group a quantifier would apply to
    bool lastRepeats = false;
    const auto addUnit = [&](double size, bool repeats) {
        groups.back().branch += size;
        lastUnit = size;
        lastRepeats = repeats;
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('\\')) {
            ++i;
            addUnit(1, false);
        } else if (c == QLatin1Char('[')) {
            qsizetype j = i + 1;
            if (j < pattern.size() && pattern[j] == QLatin1Char('^'))
                ++j;
            if (j < pattern.size() && pattern[j] == QLatin1Char(']'))
                ++j;
            for (; j < pattern.size() && pattern[j] != QLatin1Char(']'); ++j) {
                if (pattern[j] == QLatin1Char('\\'))
                    ++j;
            }
            i = j;
            addUnit(1, false);
        } else if (c == QLatin1Char('(')) {
            groups.emplace_back();
            lastUnit = 0;
        } else if (c == QLatin1Char(')') && groups.size() > 1) {
            const Group inner = groups.back();
            groups.pop_back();
            addUnit(inner.alternatives + inner.branch, inner.repeats);
        } else if (c == QLatin1Char('|')) {
            groups.back().alternatives += groups.back().branch;
            groups.back().branch = 0;
            lastUnit = 0;
        } else if (c == QLatin1Char('*') || c == QLatin1Char('+') || c == QLatin1Char('?')) {
            groups.back().repeats = true;
        } else if (qsizetype end = 0; c == QLatin1Char('{') && lastUnit > 0) {
            const double copies = RepetitionCopies(pattern, i, &end);
            if (copies == 0) {
                addUnit(1, false);
                continue;
            }
            const double size = lastUnit * copies * (lastRepeats ? copies : 1);
            groups.back().branch += size - lastUnit;
            groups.back().repeats = true;
            lastUnit = size;
            lastRepeats = true;
            i = end - 1;
        } else {
            addUnit(1, false);
        }
    }
    double total = 0;
    for (const Group& group : groups)
        total += group.alternatives + group.branch;
    return total;
}

bool IncomingMatcher::PlainSpan(const QString& pattern, const QString& text, qsizetype* start, qsizetype* end)
{
    std::vector<Piece> pieces;
    if (!PlainPieces(pattern, &pieces))
        return false;
    const qsizetype n = text.size();
    const QStringView view(text);
    // From the last piece back: can[i] says the pieces from here on match
    // something starting at i (the end is free).
    std::vector<char> can(size_t(n) + 1, 1), next(size_t(n) + 1);
    std::vector<qsizetype> run(size_t(n) + 1), count(size_t(n) + 2);
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        if (piece->kind == Piece::Literal) {
            const qsizetype length = piece->literal.size();
            for (qsizetype i = 0; i <= n; ++i)
                next[i] = i + length <= n && can[i + length] && view.mid(i, length) == piece->literal;
        } else {
            run[n] = 0;
            for (qsizetype i = n - 1; i >= 0; --i)
                run[i] = piece->Takes(text[i]) ? run[i + 1] + 1 : 0;
            count[0] = 0;
            for (qsizetype i = 0; i <= n; ++i)
                count[i + 1] = count[i] + can[i];
            for (qsizetype i = 0; i <= n; ++i) {
                const qsizetype low = i + piece->min, high = i + Upto(*piece, run[i]);
                next[i] = low <= high && count[high + 1] - count[low] > 0;
            }
        }
        can.swap(next);
    }
    *start = -1;
    for (qsizetype i = 0; i <= n && *start < 0; ++i) {
        if (can[i])
            *start = i;
    }
    if (*start < 0)
        return true;
    // From the start forward: reach[j] says the pieces so far can end at j.
    std::vector<char>& reach = can;
    std::fill(reach.begin(), reach.end(), 0);
    reach[*start] = 1;
    for (const Piece& piece : pieces) {
        std::fill(next.begin(), next.end(), 0);
        if (piece.kind == Piece::Literal) {
            const qsizetype length = piece.literal.size();
            for (qsizetype j = *start + length; j <= n; ++j)
                next[j] = reach[j - length] && view.mid(j - length, length) == piece.literal;
        } else {
            run[0] = 0;
            for (qsizetype j = 1; j <= n; ++j)
                run[j] = piece.Takes(text[j - 1]) ? run[j - 1] + 1 : 0;
            count[0] = 0;
            for (qsizetype j = 0; j <= n; ++j)
                count[j + 1] = count[j] + reach[j];
            for (qsizetype j = *start; j <= n; ++j) {
                const qsizetype low = j - Upto(piece, run[j]), high = j - piece.min;
                next[j] = low <= high && high >= 0 && count[high + 1] - count[std::max<qsizetype>(low, 0)] > 0;
            }
        }
        reach.swap(next);
    }
    *end = n;
    while (!reach[*end])
        --*end;
    return true;
}
