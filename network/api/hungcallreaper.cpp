#include "hungcallreaper.h"

#include "httprequest.h"

HungCallReaper::HungCallReaper(int patienceMs)
    : m_patienceMs(patienceMs)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, &m_context, [this] { reap(); });
}

void HungCallReaper::watch(HttpRequest *request)
{
    m_calls.append({request, m_clock.elapsed()});
    QObject::connect(request, &HttpRequest::finished, &m_context, [this, request] {
        m_calls.removeIf([request](const Call &call) { return call.request == request; });
    });
    reap();
}

int HungCallReaper::size() const
{
    return int(m_calls.size());
}

void HungCallReaper::reap()
{
    m_calls.removeIf([](const Call &call) { return call.request.isNull(); });
    while (m_calls.size() > ConnectionsPerServer) {
        const Call oldest = m_calls.takeFirst();
        const qint64 waited = m_clock.elapsed() - oldest.sentMs;
        if (waited < m_patienceMs) {
            m_calls.prepend(oldest);
            m_timer.start(int(m_patienceMs - waited));
            return;
        }
        // Its finished() runs now and finds it gone from the list.
        emit oldest.request->abort();
    }
}
