#pragma once

#include <QObject>

#include <functional>
#include <mutex>
#include <vector>

// Runs functions on the thread of this object, handed over from any thread. The
// functions wait in a queue under our own mutex; one posted event per batch wakes
// this object's thread. Calls still queued when the object dies are dropped.
class GuiThreadCall : public QObject
{
public:
    explicit GuiThreadCall(QObject *parent = nullptr);

    void post(std::function<void()> call);

protected:
    void customEvent(QEvent *event) override;

private:
    std::mutex m_mutex;
    std::vector<std::function<void()>> m_calls;
};
