#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QtGlobal>

// Collects every message written through Qt's logger, from any thread, while it lives;
// the handler before it comes back at the end. One capture at a time.
class LogCapture
{
public:
    LogCapture()
    {
        QMutexLocker lock(&s_mutex);
        s_capture = this;
        m_previous = qInstallMessageHandler(&LogCapture::collect);
    }

    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        QMutexLocker lock(&s_mutex);
        s_capture = nullptr;
    }

    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const
    {
        QMutexLocker lock(&s_mutex);
        return m_lines;
    }

    bool contains(const QString &text) const
    {
        const QStringList all = lines();
        for (const QString &line : all) {
            if (line.contains(text))
                return true;
        }
        return false;
    }

private:
    static void collect(QtMsgType, const QMessageLogContext &, const QString &text)
    {
        QMutexLocker lock(&s_mutex);
        if (s_capture)
            s_capture->m_lines.append(text);
    }

    static inline QMutex s_mutex;
    static inline LogCapture *s_capture = nullptr;
    QtMessageHandler m_previous = nullptr;
    QStringList m_lines;
};
