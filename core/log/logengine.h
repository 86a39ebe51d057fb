#pragma once

#include <QString>

class QFile;

// Writes "[LOGEngine Error: <message>]" to standard error, without a line end.
void printf_logengine_err(const QString &message);

// Process-wide appender of time-stamped lines to one log file, with a start and an
// end banner and a size cap. Every operation holds one process-wide lock.
class LOG
{
public:
    virtual ~LOG();

    // The directory must end with a separator: it is joined to the name as it is.
    static void setLogPath(const QString &path);
    static void setLogFileName(const QString &name);

    static void Out(const char *format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);
    static void Out(const QString &text);

    // A file larger than this is emptied before the next entry.
    static constexpr qint64 kMaxFileSize = Q_INT64_C(1073741824);

private:
    static bool ensureFileValid();
    static void reopenEmptied();

    static QFile *m_logFile;
    static QString m_logFilePath;
    static QString m_logFileName;
};
