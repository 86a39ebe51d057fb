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
    // Counted on the next pass: a call may be handed over from the finish of another one
    // (a camera's next command), whose removal above may be connected after the handler
    // that sent it and has not run yet. A finished call holds no connection.
    m_timer.start(0);
}

void HungCallReaper::reap()
{
    m_calls.removeIf([](const Call &call) { return call.request.isNull(); });
    while (m_calls.size() > ConnectionsPerServer) {
        const qint64 waited = m_clock.elapsed() - m_calls.first().sentMs;
        if (waited < m_patienceMs) {
            m_timer.start(int(m_patienceMs - waited));
            return;
        }
        // Its finished() runs now and finds it gone from the list.
        const QPointer<HttpRequest> oldest = m_calls.takeFirst().request;
        if (oldest)
            emit oldest->abort();
    }
}
