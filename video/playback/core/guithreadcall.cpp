#include "guithreadcall.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

QEvent::Type callEventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

} // namespace

GuiThreadCall::GuiThreadCall(QObject *parent)
    : QObject(parent)
{
}

void GuiThreadCall::post(std::function<void()> call)
{
    bool firstOfBatch = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        firstOfBatch = m_calls.empty();
        m_calls.push_back(std::move(call));
    }
    if (firstOfBatch)
        QCoreApplication::postEvent(this, new QEvent(callEventType()));
}

// Only our own posts reach customEvent here. (The event itself is not read: it was
// made on another thread and carries nothing.)
void GuiThreadCall::customEvent(QEvent *)
{
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        calls.swap(m_calls);
    }
    for (const auto &call : calls)
        call();
}
