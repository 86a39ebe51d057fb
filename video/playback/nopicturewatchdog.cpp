#include "nopicturewatchdog.h"

#include "guithreadcall.h"

NoPictureWatchdog::NoPictureWatchdog(GuiThreadCall &calls, QObject *parent)
    : QObject(parent)
    , m_calls(calls)
{
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &NoPictureWatchdog::noPictures);
}

void NoPictureWatchdog::arm()
{
    m_armed = true;
    m_timer.start();
}

void NoPictureWatchdog::disarm()
{
    m_armed = false;
    m_generation.fetch_add(1);
    m_timer.stop();
}

void NoPictureWatchdog::pictureArrived()
{
    // One restart in flight is enough however many pictures arrive meanwhile.
    if (m_restartQueued.exchange(true))
        return;
    const quint64 generation = m_generation.load();
    m_calls.post([this, generation] {
        m_restartQueued.store(false);
        if (m_armed && generation == m_generation.load())
            m_timer.start();
    });
}
