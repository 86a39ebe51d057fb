#pragma once

#include <QByteArray>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

// Redirects the process's standard output and error into files while alive, so the
// parser's own messages can be checked and bulk runs do not flood the test log.
class CapturedStreams
{
public:
    CapturedStreams()
    {
        m_out.open();
        m_err.open();
        std::fflush(stdout);
        std::fflush(stderr);
        m_savedOut = dup(STDOUT_FILENO);
        m_savedErr = dup(STDERR_FILENO);
        dup2(m_out.handle(), STDOUT_FILENO);
        dup2(m_err.handle(), STDERR_FILENO);
    }
    ~CapturedStreams() { restore(); }
    CapturedStreams(const CapturedStreams &) = delete;
    CapturedStreams &operator=(const CapturedStreams &) = delete;

    QByteArray standardOutput()
    {
        restore();
        return readBack(m_out);
    }
    QByteArray standardError()
    {
        restore();
        return readBack(m_err);
    }

private:
    void restore()
    {
        if (m_savedOut < 0)
            return;
        std::fflush(stdout);
        std::fflush(stderr);
        dup2(m_savedOut, STDOUT_FILENO);
        dup2(m_savedErr, STDERR_FILENO);
        close(m_savedOut);
        close(m_savedErr);
        m_savedOut = m_savedErr = -1;
    }
    static QByteArray readBack(QTemporaryFile &file)
    {
        QFile reader(file.fileName());
        return reader.open(QIODevice::ReadOnly) ? reader.readAll() : QByteArray();
    }

    QTemporaryFile m_out;
    QTemporaryFile m_err;
    int m_savedOut = -1;
    int m_savedErr = -1;
};
