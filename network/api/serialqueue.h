#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

// Runs the jobs of one key one after another, in the order they came: a job starts
// when the one before it called its done function. Jobs of different keys don't wait
// for each other. GUI thread only.
class SerialQueue
{
public:
    using Done = std::function<void()>;
    using Job = std::function<void(const Done &done)>;

    // Starts job now when nothing of key is running, else after the jobs before it.
    void enqueue(const QString &key, Job job);
    // Jobs of key that are running or waiting.
    int size(const QString &key) const;

private:
    void startNext(const QString &key);

    // The running job of a key stays at the front until it is done.
    QHash<QString, QList<Job>> m_jobs;
};
