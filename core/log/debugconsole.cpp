#include "debugconsole.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QPalette>
#include <QPointer>
#include <QTextCursor>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kPollIntervalMs = 100;
constexpr int kDefaultLineLimit = 50000;

void writeToStandardError(const QString &line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

class DebugConsolePrivate
{
public:
    void createWindow();
    void redirectStandardOutput();
    void startPolling();
    void deliver(const QString &line);
    void appendLine(const QString &line);
    void followEndAndCount();
    void poll();
    void release();

    static DebugConsolePrivate *self() { return DebugConsole::instance()->d.data(); }
    static void handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &message);
    static void releaseWithApplication() { self()->release(); }

    QMutex windowLock; // guards window for threads other than the GUI thread
    QPointer<QTextEdit> window;
    QString captureFolder;
    QFile captureFile;
    QTimer *pollTimer = nullptr;
    qint64 lastSize = 0;
    int lineCount = 0;
    int lineLimit = kDefaultLineLimit;
    bool setUp = false;
    QtMessageHandler previousHandler = nullptr;
};

void DebugConsolePrivate::createWindow()
{
    auto *edit = new QTextEdit;
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Highlight, QColor(0, 120, 215));
    edit->setPalette(palette);
    edit->setReadOnly(true);
    edit->setWindowTitle(QStringLiteral("调试窗口"));
    edit->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    edit->resize(700, 500);
    // A diagnostic window: closing the client's own windows still ends the process.
    edit->setAttribute(Qt::WA_QuitOnClose, false);
    edit->show();
    QMutexLocker locker(&windowLock);
    window = edit;
}

void DebugConsolePrivate::redirectStandardOutput()
{
    if (!QDir().mkpath(captureFolder))
        return;
    std::fflush(stdout);
    if (!std::freopen(QFile::encodeName(captureFile.fileName()).constData(), "w", stdout))
        return;
    // Line by line, so that printed lines reach the console without waiting for a full buffer.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
}

void DebugConsolePrivate::startPolling()
{
    captureFile.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    pollTimer->start(kPollIntervalMs);
    QObject::connect(pollTimer, &QTimer::timeout, pollTimer, [this] { poll(); });
}

void DebugConsolePrivate::deliver(const QString &line)
{
    QMutexLocker locker(&windowLock);
    if (!window) {
        writeToStandardError(line);
        return;
    }
    if (QThread::currentThread() == window->thread()) {
        locker.unlock();
        appendLine(line);
        return;
    }
    // The widget belongs to the GUI thread; the line waits for its event loop and is
    // dropped with the window if that goes first.
    QMetaObject::invokeMethod(window, [this, line] { appendLine(line); }, Qt::QueuedConnection);
}

void DebugConsolePrivate::appendLine(const QString &line)
{
    if (!window)
        return;
    window->append(line);
    followEndAndCount();
}

void DebugConsolePrivate::followEndAndCount()
{
    if (!window)
        return;
    if (!window->textCursor().hasSelection())
        window->moveCursor(QTextCursor::End);
    if (++lineCount > lineLimit) {
        window->clear();
        lineCount = 0;
    }
}

void DebugConsolePrivate::poll()
{
    const qint64 size = captureFile.size();
    if (size == lastSize)
        return;
    lastSize = size;
    const QString text = QString::fromLocal8Bit(captureFile.readAll());
    if (text.isEmpty())
        return;
    const QStringList parts = text.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    for (const QString &part : parts) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty() && window)
            window->append(DebugConsole::timeStampPrefix() + trimmed);
        followEndAndCount();
    }
}

void DebugConsolePrivate::release()
{
    // Messages emitted after the application object is gone must not reach a
    // widget that can no longer exist.
    qInstallMessageHandler(previousHandler);
    if (pollTimer)
        pollTimer->stop();
    QTextEdit *edit = nullptr;
    {
        QMutexLocker locker(&windowLock);
        edit = window.data();
        window = nullptr;
    }
    delete edit;
}

void DebugConsolePrivate::handleMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // A message raised while this handler runs (say, by the text widget while it
    // appends) never re-enters it: Qt prints such a message to standard error.
    const QString line = DebugConsole::timeStampPrefix() + message;
    self()->deliver(line);
    // The process ends right after a fatal message; keep it where it can be read.
    if (type == QtFatalMsg)
        writeToStandardError(line);
}

void initializeDebugEnveriment()
{
    DebugConsole::instance()->setUp();
}

DebugConsole *DebugConsole::instance()
{
    static DebugConsole console;
    return &console;
}

DebugConsole::DebugConsole()
    : d(new DebugConsolePrivate)
{
}

DebugConsole::~DebugConsole() = default;

void DebugConsole::setUp()
{
    if (d->setUp || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    d->captureFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/cache");
    d->captureFile.setFileName(d->captureFolder + QStringLiteral("/stdout"));
    d->pollTimer = new QTimer(QCoreApplication::instance());
    qRegisterMetaType<QTextCursor>("QTextCursor");
    d->createWindow();
    d->redirectStandardOutput();
    d->startPolling();
    d->setUp = true;
    qAddPostRoutine(&DebugConsolePrivate::releaseWithApplication);
    d->previousHandler = qInstallMessageHandler(&DebugConsolePrivate::handleMessage);
}

bool DebugConsole::isSetUp() const
{
    return d->setUp;
}

QTextEdit *DebugConsole::window() const
{
    return d->window.data();
}

QString DebugConsole::captureFilePath() const
{
    return d->captureFile.fileName();
}

int DebugConsole::lineLimit() const
{
    return d->lineLimit;
}

void DebugConsole::setLineLimit(int limit)
{
    d->lineLimit = limit;
}

QString DebugConsole::timeStampPrefix()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("[yyyy-MM-dd-hh:mm:ss:zzz] "));
}
