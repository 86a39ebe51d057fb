// Runs the debug console in a process of its own (it takes over standard output and
// the message handler) and writes what it saw to a JSON report for tst_debugconsole.
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>
#include <thread>

#include "debugconsole.h"

namespace {

void spinEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QString consoleText()
{
    return DebugConsole::instance()->window()->toPlainText();
}

QString lastLine()
{
    return consoleText().split(QLatin1Char('\n')).constLast();
}

void recordWindow(QJsonObject &report)
{
    QTextEdit *window = DebugConsole::instance()->window();
    report[QStringLiteral("title")] = window->windowTitle();
    report[QStringLiteral("readOnly")] = window->isReadOnly();
    report[QStringLiteral("visible")] = window->isVisible();
    report[QStringLiteral("width")] = window->width();
    report[QStringLiteral("height")] = window->height();
    report[QStringLiteral("staysOnTop")] = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    report[QStringLiteral("highlight")] = window->palette().color(QPalette::Inactive, QPalette::Highlight).name();
}

void recordMessages(QJsonObject &report)
{
    qDebug("hello");
    report[QStringLiteral("debugLine")] = lastLine();

    std::printf("   padded line\t  \nsecond printed line\n");
    std::fflush(stdout);
    spinEventLoop(350);
    report[QStringLiteral("afterPrint")] = consoleText();
}

void recordWorkerMessage(QJsonObject &report)
{
    std::thread worker([] { qWarning("from worker thread"); });
    worker.join();
    report[QStringLiteral("workerBeforeEvents")] = consoleText().contains(QStringLiteral("from worker thread"));
    spinEventLoop(50);
    report[QStringLiteral("workerAfterEvents")] = consoleText().contains(QStringLiteral("from worker thread"));
}

void recordWarningWhileAppending(QJsonObject &report)
{
    // Anything the console says while it appends must not come back into it.
    QTextEdit *window = DebugConsole::instance()->window();
    const auto connection = QObject::connect(window, &QTextEdit::textChanged, [] { qWarning("inner warning"); });
    qDebug("outer message");
    QObject::disconnect(connection);
    report[QStringLiteral("outerShown")] = consoleText().contains(QStringLiteral("outer message"));
    report[QStringLiteral("innerShown")] = consoleText().contains(QStringLiteral("inner warning"));
}

void recordSelectionHold(QJsonObject &report)
{
    QTextEdit *window = DebugConsole::instance()->window();
    QTextCursor cursor = window->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    window->setTextCursor(cursor);
    qDebug("while selected");
    report[QStringLiteral("selectionKept")] = window->textCursor().hasSelection() && window->textCursor().position() == 3;
    cursor.clearSelection();
    window->setTextCursor(cursor);
    qDebug("after selection");
    report[QStringLiteral("followsEnd")] = window->textCursor().atEnd();
}

void recordLineLimit(QJsonObject &report)
{
    DebugConsole::instance()->setLineLimit(3);
    qDebug("clears"); // the count is far over 3 now: this line clears the console
    report[QStringLiteral("afterClearing")] = consoleText();
    qDebug("a");
    qDebug("b");
    qDebug("c");
    report[QStringLiteral("threeLines")] = consoleText().split(QLatin1Char('\n')).size();
    qDebug("d");
    report[QStringLiteral("afterFourth")] = consoleText();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const QString reportPath = QString::fromLocal8Bit(argv[1]);
    QJsonObject report;
    {
        QApplication app(argc, argv);
        initializeDebugEnveriment();
        QTextEdit *first = DebugConsole::instance()->window();
        initializeDebugEnveriment();
        report[QStringLiteral("secondCallKeepsWindow")] = first == DebugConsole::instance()->window();
        report[QStringLiteral("captureFile")] = DebugConsole::instance()->captureFilePath();

        recordWindow(report);
        recordMessages(report);
        recordWorkerMessage(report);
        recordWarningWhileAppending(report);
        recordSelectionHold(report);
        recordLineLimit(report);
    }
    report[QStringLiteral("windowGoneWithApp")] = DebugConsole::instance()->window() == nullptr;
    qDebug("after the application object");

    QFile file(reportPath);
    if (!file.open(QIODevice::WriteOnly))
        return 3;
    file.write(QJsonDocument(report).toJson());
    return 0;
}
