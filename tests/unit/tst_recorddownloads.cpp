#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "apiclientfixture.h"

// Record, device-record and alarm-record downloads into the download folder.
class TestRecordDownloads : public QObject
{
    Q_OBJECT

private:
    ApiClientFixture f;
    QScopedPointer<QTemporaryDir> m_base;
    const QString m_period = QStringLiteral("20240201080000");

    QString folder() const { return m_base->path() + QStringLiteral("/record/download/"); }

    QStringList filesUnderBase() const
    {
        QStringList files;
        QDirIterator it(m_base->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(m_base->path()).relativeFilePath(it.next());
        return files;
    }

    // A finished callback that records its arguments and a progress callback that counts.
    QJSValue progressCounter()
    {
        f.engine->globalObject().setProperty(QStringLiteral("progressCount"), 0);
        return f.engine->evaluate(QStringLiteral("(function(r, t) { progressCount += 1; lastTotal = t; })"));
    }

    int progressCount() const { return f.engine->globalObject().property(QStringLiteral("progressCount")).toInt(); }

    void slowDownloads()
    {
        TestServerFault slow;
        slow.status = 200;
        slow.body = QByteArray(8192, 'x');
        slow.contentType = "video/mp4";
        slow.slowChunkDelayMs = 30;
        f.server.setFault(QStringLiteral("/api/v1/record/download/101/") + m_period, slow);
        f.server.setFault(QStringLiteral("/download/alarm/1.mp4"), slow);
        f.server.setFault(QStringLiteral("/download/device/101/x.mp4"), slow);
    }

private slots:
    void initTestCase() { QVERIFY2(f.startServer(), qPrintable(f.server.errorString())); }

    void init()
    {
        f.setUp();
        m_base.reset(new QTemporaryDir);
        f.settings->setRecordPath(m_base->path());
        QVERIFY(f.logIn());
    }

    void cleanup() { f.tearDown(); }

    void folderFollowsTheSetting()
    {
        QCOMPARE(f.client->getRecordPath(), folder());
        QVERIFY(QDir(folder()).exists());
        f.settings->setRecordPath(QString());
        QCOMPARE(f.client->getRecordPath(), QCoreApplication::applicationDirPath() + QStringLiteral("/record/download/"));
    }

    void recordDownloadCompletes()
    {
        f.client->downloadRecord(QStringLiteral("东门 入口"), 101, m_period, progressCounter(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), true);
        QCOMPARE(f.recorder->argument(0, 1).toString(), QString());
        QVERIFY(progressCount() > 0);
        QCOMPARE(f.lastPathAndQuery(), QStringLiteral("/api/v1/record/download/101/") + m_period);
        QVERIFY(f.server.requestLog().last().header("token").isEmpty());
        const QString file = folder() + QStringLiteral("东门-入口-101-") + m_period + QStringLiteral(".mp4");
        QVERIFY2(QFile(file).size() > 1000, qPrintable(filesUnderBase().join(QLatin1Char(','))));
    }

    void blanksAndColonsInTheName()
    {
        f.client->downAlarmRecord(QStringLiteral("/download/alarm/1.mp4"), QStringLiteral("Gate A"), 5,
                                  QStringLiteral("2024-02-01 08:00:00"), QJSValue(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), true);
        QCOMPARE(filesUnderBase(), QStringList{QStringLiteral("record/download/Gate-A-5-2024-02-01-08-00-00.mp4")});
    }

    void hostileTitleStaysInTheFolder()
    {
        f.client->downloadRecord(QStringLiteral("../../escape\\x\ty"), 101, m_period, QJSValue(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), true);
        const QStringList files = filesUnderBase();
        QCOMPARE(files.size(), 1);
        QVERIFY2(files.first().startsWith(QStringLiteral("record/download/-")), qPrintable(files.first()));
        QVERIFY(!files.first().mid(16).contains(QLatin1Char('/')));
    }

    void secondStartIsRefusedAndStopLeavesNoFile()
    {
        slowDownloads();
        f.client->downloadRecord(QStringLiteral("cam"), 101, m_period, QJSValue(), f.recorder->callback());
        f.client->downloadRecord(QStringLiteral("cam"), 101, m_period, QJSValue(), f.recorder->callback());
        QCOMPARE(f.recorder->count(), 1);
        QCOMPARE(f.recorder->argument(0, 0).toBool(), false);
        QCOMPARE(f.recorder->argument(0, 1).toString(), QStringLiteral("录像正在下载"));
        // Same key, other kind: the same target file, so refused as well.
        f.client->downAlarmRecord(QStringLiteral("/download/alarm/1.mp4"), QStringLiteral("cam"), 101, m_period,
                                  QJSValue(), f.recorder->callback());
        QCOMPARE(f.recorder->count(), 2);
        QCOMPARE(f.recorder->argument(1, 1).toString(), QStringLiteral("录像正在下载"));

        f.waitForLog(1);
        QTest::qWait(100);
        f.client->stopDownloadAlarmRecord(QStringLiteral("cam"), 101, m_period); // other table: nothing
        QTest::qWait(50);
        QCOMPARE(f.recorder->count(), 2);
        f.client->stopDownloadRecord(QStringLiteral("cam"), 101, m_period);
        QCOMPARE(f.recorder->count(), 3);
        QCOMPARE(f.recorder->argument(2, 0).toBool(), false);
        QCOMPARE(f.recorder->argument(2, 1).toString(), QString());
        QTest::qWait(50);
        QVERIFY(filesUnderBase().isEmpty());

        // Once ended, the same key may start again.
        f.server.clearFaults();
        f.client->downloadRecord(QStringLiteral("cam"), 101, m_period, QJSValue(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(4));
        QCOMPARE(f.recorder->argument(3, 0).toBool(), true);
    }

    // Downloading a record again and stopping half-way leaves the copy from before.
    void stoppedRepeatKeepsTheCompleteFile()
    {
        const QString target = folder() + QStringLiteral("cam-101-") + m_period + QStringLiteral(".mp4");
        f.client->downloadRecord(QStringLiteral("cam"), 101, m_period, QJSValue(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), true);
        QFile first(target);
        QVERIFY(first.open(QIODevice::ReadOnly));
        const QByteArray complete = first.readAll();
        first.close();
        QVERIFY(complete.size() > 1000);

        slowDownloads();
        f.server.clearRequestLog();
        f.client->downloadRecord(QStringLiteral("cam"), 101, m_period, QJSValue(), f.recorder->callback());
        f.waitForLog(1);
        QTest::qWait(100);
        f.client->stopDownloadRecord(QStringLiteral("cam"), 101, m_period);
        QCOMPARE(f.recorder->count(), 2);
        QCOMPARE(f.recorder->argument(1, 0).toBool(), false);
        QTest::qWait(50);
        QCOMPARE(filesUnderBase(), QStringList{QStringLiteral("record/download/cam-101-") + m_period + ".mp4"});
        QVERIFY(first.open(QIODevice::ReadOnly));
        QVERIFY(first.readAll() == complete);
    }

    void stoppedDeviceDownloadSaysSo()
    {
        slowDownloads();
        f.client->downloadDeviceRecord(QStringLiteral("download/device/101/x.mp4"), QStringLiteral("dev"), 101, m_period,
                                       QJSValue(), f.recorder->callback());
        f.waitForLog(1);
        QTest::qWait(100);
        f.client->stopDownloadDeviceRecord(QStringLiteral("dev"), 101, m_period);
        QCOMPARE(f.recorder->count(), 1);
        QCOMPARE(f.recorder->argument(0, 0).toBool(), false);
        QCOMPARE(f.recorder->argument(0, 1).toString(), QStringLiteral("取消下载."));
        QTest::qWait(50);
        QVERIFY(filesUnderBase().isEmpty());
    }

    void httpErrorLeavesNoFile()
    {
        f.fault(QStringLiteral("/download/alarm/2.mp4"), 404, "no such record");
        f.client->downAlarmRecord(QStringLiteral("download/alarm/2.mp4"), QStringLiteral("a"), 2, m_period, QJSValue(),
                                  f.recorder->callback());
        QVERIFY(f.recorder->waitFor(1));
        QCOMPARE(f.recorder->argument(0, 0).toBool(), false);
        f.fault(QStringLiteral("/download/device/101/y.mp4"), 500, "device offline");
        f.client->downloadDeviceRecord(QStringLiteral("download/device/101/y.mp4"), QStringLiteral("d"), 3, m_period,
                                       QJSValue(), f.recorder->callback());
        QVERIFY(f.recorder->waitFor(2));
        // A download keeps no body, so the device kind reports the transport's text.
        QVERIFY(f.recorder->argument(1, 1).toString().contains(QStringLiteral("Internal Server Error")));
        QTest::qWait(50);
        QVERIFY(filesUnderBase().isEmpty());
    }

    void stopFromTheCompletionCallbackKeepsTheFile()
    {
        // The page closes its pop-up from the callback, which asks to stop the same key.
        QQmlEngine::setObjectOwnership(f.client.data(), QQmlEngine::CppOwnership);
        f.engine->globalObject().setProperty(QStringLiteral("client"), f.engine->newQObject(f.client.data()));
        f.engine->globalObject().setProperty(QStringLiteral("finishedWith"), QJSValue());
        const QJSValue finished = f.engine->evaluate(QStringLiteral(
            "(function(ok, text) { finishedWith = ok; client.stopDownloadRecord('cam', 101, '%1'); })").arg(m_period));
        f.client->downloadRecord(QStringLiteral("cam"), 101, m_period, QJSValue(), finished);
        QTRY_VERIFY_WITH_TIMEOUT(f.engine->globalObject().property(QStringLiteral("finishedWith")).isBool(), kEventWaitMs);
        QCOMPARE(f.engine->globalObject().property(QStringLiteral("finishedWith")).toBool(), true);
        QTest::qWait(50);
        QVERIFY(QFile(folder() + QStringLiteral("cam-101-") + m_period + QStringLiteral(".mp4")).size() > 1000);
    }
};

QTEST_GUILESS_MAIN(TestRecordDownloads)
#include "tst_recorddownloads.moc"
