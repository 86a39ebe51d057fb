#pragma once

#include <QObject>
#include <QScopedPointer>
#include <QString>

class QTextEdit;
class DebugConsolePrivate;

// Opens the debug console: every toolkit message and every line the process writes
// to its standard output, time-stamped, in a window of its own. A second call does
// nothing.
void initializeDebugEnveriment();

// The console behind initializeDebugEnveriment. It lives on the GUI thread; messages
// from other threads are handed to it through that thread's event loop.
class DebugConsole : public QObject
{
    Q_OBJECT

public:
    static DebugConsole *instance();
    ~DebugConsole() override;

    void setUp();
    bool isSetUp() const;

    // The console window; null before set-up and after the application object is gone.
    QTextEdit *window() const;
    QString captureFilePath() const;

    // The console is emptied when more lines than this have been added.
    int lineLimit() const;
    void setLineLimit(int limit);

    // "[yyyy-MM-dd-hh:mm:ss:zzz] " for the current local time.
    static QString timeStampPrefix();

private:
    DebugConsole();

    QScopedPointer<DebugConsolePrivate> d;
    friend class DebugConsolePrivate;
};
