#pragma once

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <memory>

#include "editors/incoming/incomingssmodel.h"

// Runs the incoming editor's matches on worker threads, so that typing
// never waits for one. Only the latest job counts: starting a job cancels
// the one before (its outcome is dropped), and a job still running when its
// budget has passed in wall time is abandoned and reported as not checked.
// QRegExp cannot be stopped, so an abandoned match may keep its thread
// until it ends; the pool is small, and a refused forecast or the cancel
// flag ends most of them at their next step.
class IncomingMatchRunner : public QObject
{
    Q_OBJECT

public:
    // budgetMs: the matcher's processor-time budget per job; a job is
    // abandoned after twice that in wall time.
    explicit IncomingMatchRunner(int budgetMs = 150, QObject* parent = nullptr);
    // Cancels every job and waits for the workers.
    ~IncomingMatchRunner() override;

    // Starts job; returns its number (the latest job's).
    quint64 Start(const IncomingSS::MatchJob& job);
    // Drops the latest job: nothing is reported for it.
    void Cancel();
    // Waits up to ms for the latest job; when it ends in time its outcome is
    // reported before returning, and true is returned.
    bool Wait(int ms);
    bool Pending() const { return m_pLatest != nullptr; }

    // How long a page waits for a match before it shows the status as
    // pending (tests make it long, so what they check is settled).
    static int Patience();
    static void SetPatience(int ms);

signals:
    // The latest job ended; outcome as RunMatch gave it.
    void finished(quint64 job, const IncomingSS::MatchOutcome& outcome);
    // The latest job passed its budget; outcome: no match, not checked.
    void abandoned(quint64 job, const IncomingSS::MatchOutcome& outcome);

private:
    struct Job;
    void Deliver(const std::shared_ptr<Job>& job);

    int m_BudgetMs;
    quint64 m_Count = 0;
    std::shared_ptr<Job> m_pLatest;
    QThreadPool m_Pool;
    QTimer m_Deadline;
};
