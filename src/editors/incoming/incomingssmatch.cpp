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
bool RunWithinBudget(const QString& text, double minGrowth, Run&& run, Remaining&& remainingNs)
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
        text, 1.0, [&](const QString& part) { match = rx->exactMatch(part); }, [this] { return RemainingNs(); });
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
    int position = -1;
    // With a whole-text match the search stops at position 0, one attempt;
    // otherwise it may start again at every position.
    *checked = RunWithinBudget(
        text, matchesWhole ? 1.0 : 2.0, [&](const QString& part) { position = rx->indexIn(part); },
        [this] { return RemainingNs(); });
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
        [this] { return RemainingNs(); });
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
