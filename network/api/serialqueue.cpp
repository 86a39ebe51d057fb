#include "serialqueue.h"

#include <QPointer>
#include <QTimer>

SerialQueue::SerialQueue(int patienceMs)
    : m_patienceMs(patienceMs)
{
}

void SerialQueue::enqueue(const QString &key, Job job)
{
    Lane &lane = m_lanes[key];
    lane.waiting.append(std::move(job));
    if (lane.running == 0)
        startNext(key);
}

int SerialQueue::size(const QString &key) const
{
    const auto it = m_lanes.constFind(key);
    if (it == m_lanes.constEnd())
        return 0;
    return int(it->waiting.size()) + (it->running != 0 ? 1 : 0);
}

void SerialQueue::startNext(const QString &key)
{
    auto it = m_lanes.find(key);
    if (it == m_lanes.end())
        return;
    if (it->waiting.isEmpty()) {
        m_lanes.erase(it);
        return;
    }
    const Job job = it->waiting.takeFirst();
    const quint64 serial = ++m_lastSerial;
    it->running = serial;
    if (m_patienceMs >= 0)
        QTimer::singleShot(m_patienceMs, &m_context, [this, key, serial] { finish(key, serial); });
    // A done that comes after the patience ran out, or after the queue is gone, counts for nothing.
    QPointer<QObject> alive(&m_context);
    job([this, alive, key, serial] {
        if (alive)
            finish(key, serial);
    });
}

void SerialQueue::finish(const QString &key, quint64 serial)
{
    auto it = m_lanes.find(key);
    if (it == m_lanes.end() || it->running != serial)
        return;
    it->running = 0;
    startNext(key);
}
