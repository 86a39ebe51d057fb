#include "logengine.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <cstdarg>
#include <cstdio>

namespace {

// Constant-initialised and never destroyed, so it outlives every static user.
Q_CONSTINIT QBasicMutex g_mutex;
bool g_started = false;

const char kLineEnd[] = "\n";

void reportOpenFailure(const QString &fullPath)
{
    printf_logengine_err(QStringLiteral("Don't open ") + fullPath + QLatin1Char('!'));
}

} // namespace

QFile *LOG::m_logFile = new QFile;
QString LOG::m_logFilePath = QStringLiteral("./log/");
QString LOG::m_logFileName = QStringLiteral("logengine_log.txt");

void printf_logengine_err(const QString &message)
{
    std::fprintf(stderr, "[LOGEngine Error: %s]", message.toUtf8().constData());
}

LOG::~LOG()
{
    QMutexLocker locker(&g_mutex);
    if (!m_logFile->isOpen())
        return;
    m_logFile->write("[===LOGEngine End===]");
    m_logFile->write(kLineEnd);
    m_logFile->close();
}

void LOG::setLogPath(const QString &path)
{
    QMutexLocker locker(&g_mutex);
    m_logFilePath = path;
}

void LOG::setLogFileName(const QString &name)
{
    QMutexLocker locker(&g_mutex);
    m_logFileName = name;
}

void LOG::Out(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    const QString text = QString::vasprintf(format, args);
    va_end(args);
    Out(text);
}

void LOG::Out(const QString &text)
{
    QMutexLocker locker(&g_mutex);
    if (!ensureFileValid())
        return;
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("[yyyy-MM-dd hh:mm:ss]: ")) + text
        + QLatin1String(kLineEnd);
    m_logFile->write(line.toUtf8());
    m_logFile->flush();
}

// Runs with the lock held.
bool LOG::ensureFileValid()
{
    if (!m_logFile->isOpen()) {
        const QString fullPath = m_logFilePath + m_logFileName;
        m_logFile->setFileName(fullPath);
        const QString directory = QDir(m_logFilePath).absolutePath();
        if (!QDir(directory).exists())
            QDir().mkdir(directory);
        if (!m_logFile->open(QIODevice::WriteOnly | QIODevice::Append)) {
            reportOpenFailure(fullPath);
            return false;
        }
    }
    // Checked on every entry, so a long-running process cannot grow past the cap.
    if (m_logFile->size() > kMaxFileSize)
        reopenEmptied();
    if (!m_logFile->isOpen())
        return false;
    if (!g_started) {
        m_logFile->write(kLineEnd);
        m_logFile->write("[===LOGEngine Start===]");
        m_logFile->write(kLineEnd);
        g_started = true;
    }
    return true;
}

void LOG::reopenEmptied()
{
    m_logFile->close();
    if (!m_logFile->open(QIODevice::WriteOnly | QIODevice::Truncate))
        reportOpenFailure(m_logFile->fileName());
}
