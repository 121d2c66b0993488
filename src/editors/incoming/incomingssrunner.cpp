#include "editors/incoming/incomingssrunner.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "editors/incoming/incomingssmatch.h"

namespace {

// Short enough that a keystroke stays well within a frame when the match
// does not end in time.
int g_PatienceMs = 3;

} // namespace

struct IncomingMatchRunner::Job
{
    quint64 number = 0;
    IncomingSS::MatchJob input;
    std::atomic<bool> cancelled{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;  // under mutex
    IncomingSS::MatchOutcome outcome;
};

IncomingMatchRunner::IncomingMatchRunner(int budgetMs, QObject* parent) : QObject(parent), m_BudgetMs(budgetMs)
{
    // One for the latest job, the rest for abandoned ones still running.
    m_Pool.setMaxThreadCount(3);
    m_Deadline.setSingleShot(true);
    connect(&m_Deadline, &QTimer::timeout, this, [this] {
        if (!m_pLatest)
            return;
        const std::shared_ptr<Job> job = std::exchange(m_pLatest, nullptr);
        job->cancelled = true;
        IncomingSS::MatchOutcome outcome;
        outcome.checked = false;
        emit abandoned(job->number, outcome);
    });
}

IncomingMatchRunner::~IncomingMatchRunner()
{
    Cancel();
    m_Pool.waitForDone();
}

quint64 IncomingMatchRunner::Start(const IncomingSS::MatchJob& input)
{
    Cancel();
    auto job = std::make_shared<Job>();
    job->number = ++m_Count;
    job->input = input;
    m_pLatest = job;
    const int budgetMs = m_BudgetMs;
    m_Pool.start([this, job, budgetMs] {
        IncomingSS::MatchOutcome outcome;
        if (!job->cancelled) {
            IncomingMatcher matcher(budgetMs);
            matcher.SetCancelFlag(&job->cancelled);
            outcome = IncomingSS::RunMatch(job->input, matcher);
        }
        {
            const std::lock_guard lock(job->mutex);
            job->outcome = std::move(outcome);
            job->done = true;
        }
        job->ended.notify_all();
        // The runner waits for its workers before it goes, so it is alive here.
        QMetaObject::invokeMethod(this, [this, job] { Deliver(job); }, Qt::QueuedConnection);
    });
    m_Deadline.start(2 * m_BudgetMs);
    return job->number;
}

void IncomingMatchRunner::Cancel()
{
    if (m_pLatest)
        m_pLatest->cancelled = true;
    m_pLatest.reset();
    m_Deadline.stop();
}

bool IncomingMatchRunner::Wait(int ms)
{
    const std::shared_ptr<Job> job = m_pLatest;
    if (!job)
        return true;
    {
        std::unique_lock lock(job->mutex);
        if (!job->ended.wait_for(lock, std::chrono::milliseconds(ms), [&] { return job->done; }))
            return false;
    }
    Deliver(job);
    return true;
}

void IncomingMatchRunner::Deliver(const std::shared_ptr<Job>& job)
{
    // A stale job, or one already reported (by Wait) or abandoned.
    if (job != m_pLatest)
        return;
    m_pLatest.reset();
    m_Deadline.stop();
    IncomingSS::MatchOutcome outcome;
    {
        const std::lock_guard lock(job->mutex);
        outcome = job->outcome;
    }
    emit finished(job->number, outcome);
}

int IncomingMatchRunner::Patience()
{
    return g_PatienceMs;
}

void IncomingMatchRunner::SetPatience(int ms)
{
    g_PatienceMs = ms;
}
