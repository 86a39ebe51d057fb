// The console takes over standard output and the message handler for good, so it
// runs in a child process; this test reads the child's report and streams.
#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "eventwait.h"

namespace {

const QString kStamp = QStringLiteral(R"(\[\d{4}-\d\d-\d\d-\d\d:\d\d:\d\d:\d{3}\] )");

// Runs the client with a root file that logs one line and closes; returns its standard error.
QByteArray runClient(const QString &workDir, bool enableDebug)
{
    QDir().mkpath(workDir + QStringLiteral("/config"));
    QFile config(workDir + QStringLiteral("/config/config.ini"));
    if (config.open(QIODevice::WriteOnly))
        config.write(enableDebug ? "[Global]\nEnableDebug=true\n" : "[Global]\nEnableDebug=false\n");
    config.close();
    QFile root(workDir + QStringLiteral("/root.qml"));
    if (root.open(QIODevice::WriteOnly))
        root.write("import QtQuick\nimport QtQuick.Window\n"
                   "Window { id: w; visible: true\n"
                   "  Component.onCompleted: console.log(\"root says hello\")\n"
                   "  Timer { interval: 300; running: true; onTriggered: w.close() } }\n");
    root.close();

    QProcess client;
    client.setWorkingDirectory(workDir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZELKA_TEST_ROOT_URL"), root.fileName());
    client.setProcessEnvironment(env);
    client.start(QDir(qEnvironmentVariable("ZELKA_BIN_DIR")).filePath(QStringLiteral("ZelkaVSS_Client_testroot")), {});
    if (!client.waitForFinished(kEventWaitMs) || client.exitCode() != 0)
        return QByteArray("client failed: ") + client.readAllStandardError();
    return client.readAllStandardError();
}

bool isStamped(const QString &line, const QString &text)
{
    return QRegularExpression(QLatin1Char('^') + kStamp + QRegularExpression::escape(text) + QLatin1Char('$'))
        .match(line)
        .hasMatch();
}

} // namespace

class TestDebugConsole : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QJsonObject m_report;
    QByteArray m_stderr;
    QString m_childDir;

private slots:
    void initTestCase()
    {
        // A copy of the child in a folder of its own: the capture file lands beside it.
        m_childDir = m_dir.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkpath(m_childDir));
        const QString child = QDir(m_childDir).filePath(QStringLiteral("tst_debugconsole_child"));
        QVERIFY(QFile::copy(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tst_debugconsole_child")),
                            child));
        const QString reportPath = m_dir.filePath(QStringLiteral("report.json"));

        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(child, {reportPath});
        QVERIFY(process.waitForFinished(kEventWaitMs));
        m_stderr = process.readAllStandardError();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 0, m_stderr.constData());
        QVERIFY2(process.readAllStandardOutput().isEmpty(), "standard output goes to the capture file");

        QFile report(reportPath);
        QVERIFY(report.open(QIODevice::ReadOnly));
        m_report = QJsonDocument::fromJson(report.readAll()).object();
        QVERIFY(!m_report.isEmpty());
    }

    void windowAsSetUp()
    {
        QVERIFY(m_report.value(QLatin1String("secondCallKeepsWindow")).toBool());
        QCOMPARE(m_report.value(QLatin1String("title")).toString(), QStringLiteral("调试窗口"));
        QVERIFY(m_report.value(QLatin1String("readOnly")).toBool());
        QVERIFY(m_report.value(QLatin1String("visible")).toBool());
        QVERIFY(m_report.value(QLatin1String("staysOnTop")).toBool());
        QCOMPARE(m_report.value(QLatin1String("width")).toInt(), 700);
        QCOMPARE(m_report.value(QLatin1String("height")).toInt(), 500);
        QCOMPARE(m_report.value(QLatin1String("highlight")).toString(), QStringLiteral("#0078d7"));
        QCOMPARE(m_report.value(QLatin1String("captureFile")).toString(),
                 QDir(m_childDir).filePath(QStringLiteral("cache/stdout")));
    }

    void messagesShowStampedAndNotOnStandardError()
    {
        QVERIFY2(isStamped(m_report.value(QLatin1String("debugLine")).toString(), QStringLiteral("hello")),
                 qPrintable(m_report.value(QLatin1String("debugLine")).toString()));
        QVERIFY(!m_stderr.contains("hello"));
    }

    void printedLinesShowTrimmed()
    {
        const QStringList lines = m_report.value(QLatin1String("afterPrint")).toString().split(QLatin1Char('\n'));
        QVERIFY2(lines.size() >= 3, qPrintable(lines.join(QLatin1Char('|'))));
        QVERIFY2(isStamped(lines.at(lines.size() - 2), QStringLiteral("padded line")), qPrintable(lines.join(QLatin1Char('|'))));
        QVERIFY(isStamped(lines.last(), QStringLiteral("second printed line")));
        QFile capture(QDir(m_childDir).filePath(QStringLiteral("cache/stdout")));
        QVERIFY(capture.open(QIODevice::ReadOnly));
        QVERIFY(capture.readAll().contains("second printed line\n"));
    }

    void workerMessagesArriveThroughTheGuiThread()
    {
        QVERIFY2(!m_report.value(QLatin1String("workerBeforeEvents")).toBool(), "appended from the worker thread");
        QVERIFY(m_report.value(QLatin1String("workerAfterEvents")).toBool());
    }

    void warningWhileAppendingDoesNotRecurse()
    {
        QVERIFY(m_report.value(QLatin1String("outerShown")).toBool());
        QVERIFY(!m_report.value(QLatin1String("innerShown")).toBool());
        QVERIFY(m_stderr.contains("inner warning"));
    }

    void selectionHoldsTheView()
    {
        QVERIFY(m_report.value(QLatin1String("selectionKept")).toBool());
        QVERIFY(m_report.value(QLatin1String("followsEnd")).toBool());
    }

    void lineLimitClearsTheConsole()
    {
        QCOMPARE(m_report.value(QLatin1String("afterClearing")).toString(), QString());
        QCOMPARE(m_report.value(QLatin1String("threeLines")).toInt(), 3);
        QCOMPARE(m_report.value(QLatin1String("afterFourth")).toString(), QString());
    }

    void startUpOpensTheConsoleOnlyWhenConfigured()
    {
        const QByteArray quiet = runClient(m_dir.filePath(QStringLiteral("off")), false);
        QVERIFY2(quiet.contains("root says hello"), quiet.constData());
        const QByteArray console = runClient(m_dir.filePath(QStringLiteral("on")), true);
        QVERIFY2(!console.startsWith("client failed"), console.constData());
        QVERIFY2(!console.contains("root says hello"), console.constData());
    }

    void messagesAfterTheApplicationGoToStandardError()
    {
        QVERIFY(m_report.value(QLatin1String("windowGoneWithApp")).toBool());
        QVERIFY(m_stderr.contains("after the application object"));
    }
};

QTEST_GUILESS_MAIN(TestDebugConsole)
#include "tst_debugconsole.moc"
