#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// Starts the jobs of one key one after another, in the order they came: a job starts
// when the one before it called its done function, or when the one before it has
// been running for the patience without calling it, whichever comes first. Jobs of
// different keys don't wait for each other. GUI thread only.
class SerialQueue
{
public:
    using Done = std::function<void()>;
    using Job = std::function<void(const Done &done)>;

    // patienceMs below 0: wait for each done however long it takes.
    explicit SerialQueue(int patienceMs = -1);

    // Starts job now when nothing of key is running, else after the jobs before it.
    void enqueue(const QString &key, Job job);
    // Jobs of key that are running (not done, still within the patience) or waiting.
    int size(const QString &key) const;

private:
    struct Lane
    {
        QList<Job> waiting;
        quint64 running = 0; // serial number of the running job; 0 = none
    };

    void startNext(const QString &key);
    // Ends the running job of key when it is still the one with this serial number.
    void finish(const QString &key, quint64 serial);

    int m_patienceMs;
    quint64 m_lastSerial = 0;
    QHash<QString, Lane> m_lanes;
    // Context of the patience timers and guard of late done calls: both die with the queue.
    QObject m_context;
};
