#include "serialqueue.h"

#include <memory>

void SerialQueue::enqueue(const QString &key, Job job)
{
    QList<Job> &jobs = m_jobs[key];
    jobs.append(std::move(job));
    if (jobs.size() == 1)
        startNext(key);
}

int SerialQueue::size(const QString &key) const
{
    return int(m_jobs.value(key).size());
}

void SerialQueue::startNext(const QString &key)
{
    const Job job = m_jobs.value(key).value(0);
    if (!job) {
        m_jobs.remove(key);
        return;
    }
    // A job's done counts once, however often it is called.
    auto called = std::make_shared<bool>(false);
    job([this, key, called] {
        if (*called)
            return;
        *called = true;
        QList<Job> &jobs = m_jobs[key];
        if (!jobs.isEmpty())
            jobs.removeFirst();
        startNext(key);
    });
}
