#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

#include "eventwait.h"
#include "httpmanager.h"
#include "httprequest.h"
#include "logcapture.h"
#include "testserver.h"

namespace {

// What one request reported, collected from its signals.
struct Outcome
{
    int finishedCount = 0;
    int error = -1;
    QString errorString;
    QByteArray data;
    int progressCount = 0;
};

QByteArray patternBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + 7) & 0xff);
    return bytes;
}

} // namespace

class TestHttpManager : public QObject
{
    Q_OBJECT

private:
    TestServer m_server;
    HttpManager *m_http = nullptr;
    QScopedPointer<QTemporaryDir> m_dir;

    HttpRequest *makeRequest(const QString &path, HttpRequest::RequestType type = HttpRequest::Get,
                             const QByteArray &body = QByteArray(), HttpRequest::DataType dataType = HttpRequest::Json)
    {
        return new HttpRequest(m_server.host(), m_server.httpPort(), path, body, type, dataType);
    }

    // Hands the request over as the API client does (queued) and waits for the outcome.
    Outcome run(HttpRequest *request, const std::function<void(HttpRequest *)> &duringRun = nullptr,
                const char *slot = "request")
    {
        auto outcome = std::make_shared<Outcome>();
        connect(request, &HttpRequest::finished, this, [outcome, request]() {
            outcome->finishedCount += 1;
            outcome->error = request->error;
            outcome->errorString = request->errorString;
            outcome->data = request->data;
            request->deleteLater();
        });
        connect(request, &HttpRequest::downloadProgress, this, [outcome, request, duringRun]() {
            outcome->progressCount += 1;
            if (duringRun && outcome->progressCount == 1)
                duringRun(request);
        });
        QMetaObject::invokeMethod(m_http, slot, Qt::QueuedConnection, Q_ARG(HttpRequest *, request));
        if (!QTest::qWaitFor([outcome]() { return outcome->finishedCount > 0; }, kEventWaitMs))
            return *outcome;
        QTest::qWait(50); // a second finished would show up here
        return *outcome;
    }

    void fault(const QString &path, const TestServerFault &f) { m_server.setFault(path, f); }

    TestServerFault bodyFault(int status, const QByteArray &body)
    {
        TestServerFault f;
        f.status = status;
        f.body = body;
        f.contentType = "application/octet-stream";
        return f;
    }

    QStringList filesIn(const QString &dir) const
    {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<HttpRequest *>();
        QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
    }

    void init()
    {
        m_server.clearFaults();
        m_server.clearRequestLog();
        m_dir.reset(new QTemporaryDir);
        m_http = new HttpManager(this);
        QMetaObject::invokeMethod(m_http, "initialize");
    }

    void cleanup()
    {
        delete m_http;
        m_http = nullptr;
    }

    void tokenHeaderPerKind()
    {
        m_http->setToken(QStringLiteral("tok-1"));
        m_http->setToken(QString());
        QCOMPARE(m_http->token(), QStringLiteral("tok-1"));
        fault(QStringLiteral("/t/get"), bodyFault(200, "{}"));
        fault(QStringLiteral("/t/own"), bodyFault(200, "{}"));
        fault(QStringLiteral("/t/none"), bodyFault(200, "{}"));
        fault(QStringLiteral("/t/file"), bodyFault(200, "abc"));

        QCOMPARE(run(makeRequest(QStringLiteral("t/get?a=1"))).error, 0);
        HttpRequest *own = makeRequest(QStringLiteral("t/own"));
        own->useOwnToken = true;
        own->token = QStringLiteral("mine");
        QCOMPARE(run(own).error, 0);
        HttpRequest *none = makeRequest(QStringLiteral("t/none"));
        none->useOwnToken = true;
        QCOMPARE(run(none).error, 0);
        HttpRequest *download = makeRequest(QStringLiteral("t/file"), HttpRequest::Download);
        download->filePath = m_dir->filePath(QStringLiteral("f.bin"));
        QCOMPARE(run(download).error, 0);

        const QList<TestServerRequest> log = m_server.requestLog();
        QCOMPARE(log.size(), 4);
        QCOMPARE(log.at(0).rawQuery, QByteArray("a=1"));
        QCOMPARE(log.at(0).header("token"), QByteArray("tok-1"));
        QCOMPARE(log.at(1).header("token"), QByteArray("mine"));
        QVERIFY(log.at(2).header("token").isEmpty());
        QVERIFY(log.at(3).header("token").isEmpty());
    }

    void postHeaders()
    {
        fault(QStringLiteral("/p/json"), bodyFault(200, "{}"));
        fault(QStringLiteral("/p/xml"), bodyFault(200, "<a/>"));
        fault(QStringLiteral("/p/multi"), bodyFault(200, "{}"));
        QCOMPARE(run(makeRequest(QStringLiteral("p/json"), HttpRequest::Post)).error, 0);
        QCOMPARE(run(makeRequest(QStringLiteral("p/xml"), HttpRequest::Post, "<x/>", HttpRequest::Xml)).error, 0);
        HttpRequest *multi = makeRequest(QStringLiteral("p/multi"), HttpRequest::Post, {}, HttpRequest::MultiPart);
        QHttpPart part;
        part.setHeader(QNetworkRequest::ContentDispositionHeader, QStringLiteral("form-data; name=\"alarmids\""));
        part.setBody("1,2,3");
        multi->multiPart.append(part);
        QCOMPARE(run(multi).error, 0);

        const QList<TestServerRequest> log = m_server.requestLog();
        QCOMPARE(log.size(), 3);
        QCOMPARE(log.at(0).method, QByteArray("POST"));
        QCOMPARE(log.at(0).header("content-type"), QByteArray("application/json; charset=utf-8"));
        QCOMPARE(log.at(0).header("content-length"), QByteArray("0"));
        QCOMPARE(log.at(1).header("content-type"), QByteArray("text/xml; charset=utf-8"));
        QCOMPARE(log.at(1).body, QByteArray("<x/>"));
        QVERIFY(log.at(2).header("content-type").startsWith("multipart/form-data; boundary="));
        QVERIFY(log.at(2).body.contains("name=\"alarmids\""));
        QVERIFY(log.at(2).body.contains("1,2,3"));
    }

    void fullUrlReplacesHostPortAndPath()
    {
        fault(QStringLiteral("/full/x"), bodyFault(200, "full"));
        for (HttpRequest::RequestType type : {HttpRequest::Get, HttpRequest::Post, HttpRequest::Download}) {
            auto *request = new HttpRequest(m_server.url(QStringLiteral("full/x")).toString(), {}, type);
            request->host = QStringLiteral("192.0.2.1"); // never reached
            request->filePath = m_dir->filePath(QStringLiteral("full.bin"));
            QCOMPARE(run(request).error, 0);
        }
        QCOMPARE(m_server.requestLog().size(), 3);
    }

    void statusMapping_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("error");
        QTest::newRow("404") << 404 << int(QNetworkReply::ContentNotFoundError);
        QTest::newRow("500") << 500 << int(QNetworkReply::InternalServerError);
        QTest::newRow("403") << 403 << int(QNetworkReply::ContentAccessDenied);
        QTest::newRow("401") << 401 << int(QNetworkReply::AuthenticationRequiredError);
    }

    void statusMapping()
    {
        QFETCH(int, status);
        QFETCH(int, error);
        fault(QStringLiteral("/s"), bodyFault(status, "server says no"));
        const Outcome outcome = run(makeRequest(QStringLiteral("s")));
        QCOMPARE(outcome.finishedCount, 1);
        QCOMPARE(outcome.error, error);
        QVERIFY(!outcome.errorString.isEmpty());
        QCOMPARE(outcome.data, QByteArray("server says no"));
    }

    void downloadNewAndExistingFile()
    {
        const QByteArray body = patternBytes(300000);
        fault(QStringLiteral("/d/file.mp4"), bodyFault(200, body));
        const QString target = m_dir->filePath(QStringLiteral("r.mp4"));
        for (int round = 0; round < 2; ++round) {
            if (round == 1) {
                QFile old(target);
                QVERIFY(old.open(QIODevice::WriteOnly));
                old.write("old content that must not survive");
            }
            HttpRequest *request = makeRequest(QStringLiteral("d/file.mp4"), HttpRequest::Download);
            request->filePath = target;
            const Outcome outcome = run(request);
            QCOMPARE(outcome.finishedCount, 1);
            QCOMPARE(outcome.error, 0);
            QVERIFY(outcome.data.isEmpty());
            QVERIFY(outcome.progressCount >= 1);
            QFile file(target);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), body);
            QCOMPARE(filesIn(m_dir->path()), QStringList{QStringLiteral("r.mp4")});
        }
    }

    // A repeat onto a complete file keeps that file until its own body is complete: cut
    // off by the server, stopped by the operator, or blocked by a folder of that name,
    // the old copy stays as it was and no temporary file is left beside it.
    void repeatThatFailsOrStopsKeepsTheOldFile()
    {
        const QByteArray old = patternBytes(5000);
        const QString target = m_dir->filePath(QStringLiteral("r.mp4"));
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
        file.close();
        const auto oldFileIntact = [&]() {
            QFile check(target);
            return check.open(QIODevice::ReadOnly) && check.readAll() == old
                && filesIn(m_dir->path()) == QStringList{QStringLiteral("r.mp4")};
        };

        TestServerFault cut = bodyFault(200, patternBytes(200000));
        cut.closeMidBody = true;
        fault(QStringLiteral("/d/cut"), cut);
        HttpRequest *request = makeRequest(QStringLiteral("d/cut"), HttpRequest::Download);
        request->filePath = target;
        Outcome outcome = run(request);
        QCOMPARE(outcome.finishedCount, 1);
        QVERIFY(outcome.error != 0);
        QVERIFY(oldFileIntact());

        TestServerFault slow = bodyFault(200, patternBytes(64 * 1024));
        slow.slowChunkDelayMs = 50;
        fault(QStringLiteral("/d/slow"), slow);
        request = makeRequest(QStringLiteral("d/slow"), HttpRequest::Download);
        request->filePath = target;
        outcome = run(request, [](HttpRequest *r) { emit r->stopDownload(); });
        QCOMPARE(outcome.finishedCount, 1);
        QCOMPARE(outcome.error, int(QNetworkReply::OperationCanceledError));
        QVERIFY(outcome.progressCount >= 1); // stopped with part of the body received
        QVERIFY(oldFileIntact());

        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("taken.mp4")));
        m_server.clearRequestLog();
        const QString taken = m_dir->filePath(QStringLiteral("taken.mp4"));
        request = makeRequest(QStringLiteral("d/any"), HttpRequest::Download);
        request->filePath = taken;
        outcome = run(request);
        QCOMPARE(outcome.error, HttpRequest::LocalFileError);
        QCOMPARE(outcome.errorString, QStringLiteral("文件已经存在且无法写入!"));
        QVERIFY(QFileInfo(taken).isDir());
        QVERIFY(m_server.requestLog().isEmpty());
    }

    void downloadIntoMissingFolderSendsNothing()
    {
        HttpRequest *request = makeRequest(QStringLiteral("d/any"), HttpRequest::Download);
        request->filePath = m_dir->filePath(QStringLiteral("missing/sub/r.mp4"));
        const Outcome outcome = run(request);
        QCOMPARE(outcome.finishedCount, 1);
        QCOMPARE(outcome.error, HttpRequest::LocalFileError);
        QVERIFY(!outcome.errorString.isEmpty());
        QVERIFY(m_server.requestLog().isEmpty());
    }

    void stopMidBodyLeavesNoFileAndReportsOnce()
    {
        TestServerFault slow = bodyFault(200, patternBytes(64 * 1024));
        slow.slowChunkDelayMs = 50;
        fault(QStringLiteral("/d/slow"), slow);
        HttpRequest *request = makeRequest(QStringLiteral("d/slow"), HttpRequest::Download);
        request->filePath = m_dir->filePath(QStringLiteral("slow.mp4"));
        const Outcome outcome = run(request, [](HttpRequest *r) { emit r->stopDownload(); });
        QCOMPARE(outcome.finishedCount, 1);
        QCOMPARE(outcome.error, int(QNetworkReply::OperationCanceledError));
        QCOMPARE(outcome.errorString, QStringLiteral("取消下载."));
        QVERIFY(filesIn(m_dir->path()).isEmpty());
    }

    void stopAfterCompletionKeepsTheFile()
    {
        fault(QStringLiteral("/d/done"), bodyFault(200, "complete"));
        auto *request = makeRequest(QStringLiteral("d/done"), HttpRequest::Download);
        request->filePath = m_dir->filePath(QStringLiteral("done.mp4"));
        bool stopped = false;
        connect(request, &HttpRequest::finished, this, [request, &stopped]() {
            emit request->stopDownload(); // a late stop from a caller that raced the end
            stopped = true;
        });
        QCOMPARE(run(request).error, 0);
        QVERIFY(stopped);
        QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("done.mp4"))));
    }

    void failedDownloadsLeaveNoFile_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("closeMidBody");
        QTest::newRow("404 with a body") << 404 << false;
        QTest::newRow("500 with a body") << 500 << false;
        QTest::newRow("connection closed mid-body") << 200 << true;
    }

    void failedDownloadsLeaveNoFile()
    {
        QFETCH(int, status);
        QFETCH(bool, closeMidBody);
        TestServerFault f = bodyFault(status, patternBytes(200000));
        f.closeMidBody = closeMidBody;
        fault(QStringLiteral("/d/bad"), f);
        HttpRequest *request = makeRequest(QStringLiteral("d/bad"), HttpRequest::Download);
        request->filePath = m_dir->filePath(QStringLiteral("bad.mp4"));
        const Outcome outcome = run(request);
        QCOMPARE(outcome.finishedCount, 1);
        QVERIFY(outcome.error != 0);
        QVERIFY(filesIn(m_dir->path()).isEmpty());
    }

    void writeFailureIsAFailure()
    {
        // A file-size limit stands in for a full disk: the write fails part-way.
        fault(QStringLiteral("/d/big"), bodyFault(200, patternBytes(1024 * 1024)));
        struct rlimit saved;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = saved;
        limited.rlim_cur = 128 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);

        HttpRequest *request = makeRequest(QStringLiteral("d/big"), HttpRequest::Download);
        request->filePath = m_dir->filePath(QStringLiteral("big.mp4"));
        const Outcome outcome = run(request);

        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QCOMPARE(outcome.finishedCount, 1);
        QCOMPARE(outcome.error, HttpRequest::LocalFileError);
        QVERIFY(filesIn(m_dir->path()).isEmpty());
    }

    void hangingApiRouteTimesOut()
    {
        TestServerFault hang;
        hang.neverAnswer = true;
        fault(QStringLiteral("/h"), hang);
        m_http->setRequestTimeout(300);
        QElapsedTimer timer;
        timer.start();
        const Outcome outcome = run(makeRequest(QStringLiteral("h")));
        QCOMPARE(outcome.finishedCount, 1);
        QCOMPARE(outcome.error, int(QNetworkReply::TimeoutError));
        QCOMPARE(outcome.errorString, QStringLiteral("请求超时."));
        QVERIFY(timer.elapsed() < 15000); // the 300 ms time-out, not the default 30 s
    }

    void slowButMovingBodyIsNotTimedOut()
    {
        // Many small chunks, each well inside the time-out (even on a loaded machine), the
        // whole body well past it.
        TestServerFault slow = bodyFault(200, patternBytes(480));
        slow.slowChunkDelayMs = 150;
        fault(QStringLiteral("/slowapi"), slow);
        m_http->setRequestTimeout(2000);
        const Outcome outcome = run(makeRequest(QStringLiteral("slowapi")));
        QCOMPARE(outcome.error, 0);
        QCOMPARE(outcome.data, patternBytes(480));
        QVERIFY(outcome.progressCount > 2);
    }

    void unsupportedKindsFinishAtOnce()
    {
        const Outcome put = run(makeRequest(QStringLiteral("x"), HttpRequest::Put, "body"));
        QCOMPARE(put.finishedCount, 1);
        QVERIFY(put.error != 0);
        const Outcome queuedDownload = run(makeRequest(QStringLiteral("x"), HttpRequest::Download), nullptr,
                                           "requestQueue");
        QCOMPARE(queuedDownload.finishedCount, 1);
        QVERIFY(queuedDownload.error != 0);
        QVERIFY(m_server.requestLog().isEmpty());
    }

    void queueSendsInOrderAndSurvivesFailures()
    {
        fault(QStringLiteral("/q/1"), bodyFault(200, "one"));
        fault(QStringLiteral("/q/2"), bodyFault(500, "two"));
        fault(QStringLiteral("/q/4"), bodyFault(200, "four"));
        TestServerFault slowFirst = bodyFault(200, "one");
        slowFirst.delayMs = 150;
        fault(QStringLiteral("/q/1"), slowFirst);

        QStringList order;
        const QList<HttpRequest *> requests = {makeRequest(QStringLiteral("q/1")), makeRequest(QStringLiteral("q/2")),
                                               makeRequest(QStringLiteral("q/3"), HttpRequest::Put),
                                               makeRequest(QStringLiteral("q/4"))};
        for (HttpRequest *request : requests) {
            connect(request, &HttpRequest::finished, this, [request, &order]() {
                order << request->path + QLatin1Char('=') + QString::number(request->error);
                request->deleteLater();
            });
            QMetaObject::invokeMethod(m_http, "requestQueue", Qt::QueuedConnection, Q_ARG(HttpRequest *, request));
        }
        QTRY_COMPARE_WITH_TIMEOUT(order.size(), 4, kEventWaitMs);
        QCOMPARE(order.at(0), QStringLiteral("q/1=0"));
        QCOMPARE(order.at(1), QStringLiteral("q/2=%1").arg(int(QNetworkReply::InternalServerError)));
        QVERIFY(order.at(2).startsWith(QStringLiteral("q/3=")));
        QCOMPARE(order.at(3), QStringLiteral("q/4=0"));
        // One at a time: the second left only after the slow first had finished.
        const QList<TestServerRequest> log = m_server.requestLog();
        QCOMPARE(log.size(), 3);
        QCOMPARE(log.at(0).path, QStringLiteral("/q/1"));
        QCOMPARE(log.at(1).path, QStringLiteral("/q/2"));
        QCOMPARE(log.at(2).path, QStringLiteral("/q/4"));
    }

    void digestChallengeThenCountingNonce()
    {
        const QString user = m_server.userName();
        const QString password = m_server.password();
        for (int i = 0; i < 10; ++i) {
            HttpRequest *request = makeRequest(QStringLiteral("auth/digest?n=%1").arg(i));
            Outcome outcome;
            connect(request, &HttpRequest::finished, this, [&outcome, request]() {
                outcome.finishedCount += 1;
                outcome.error = request->error;
                outcome.data = request->data;
                request->deleteLater();
            });
            m_http->requestAuth(request, user, password);
            QCOMPARE(outcome.finishedCount, 1);
            QCOMPARE(outcome.error, 0);
            QVERIFY(!outcome.data.isEmpty());
        }
        const QList<TestServerRequest> log = m_server.requestLog();
        QCOMPARE(log.size(), 11); // one challenge, then ten answered exchanges
        const QByteArray first = log.at(0).header("authorization");
        QVERIFY(first.contains("realm=\"\""));
        QVERIFY(first.contains("nc=00000001"));
        QVERIFY(first.endsWith("qop="));
        QVERIFY(log.at(1).header("authorization").contains("nc=00000001"));
        QVERIFY(log.at(1).header("authorization").contains("qop=auth"));
        QVERIFY(log.at(10).header("authorization").contains("nc=0000000a"));
    }

    void digestWrongPasswordCostsTwoExchanges()
    {
        HttpRequest *request = makeRequest(QStringLiteral("auth/digest"));
        int error = -1;
        connect(request, &HttpRequest::finished, this, [&error, request]() {
            error = request->error;
            request->deleteLater();
        });
        m_http->requestAuth(request, m_server.userName(), QStringLiteral("wrong"));
        QCOMPARE(error, HttpRequest::AuthenticationFailed);
        QCOMPARE(m_server.requestLog().size(), 2);
    }

    void basicChallenge_data()
    {
        QTest::addColumn<bool>("rightPassword");
        QTest::newRow("accepted") << true;
        QTest::newRow("refused") << false;
    }

    void basicChallenge()
    {
        QFETCH(bool, rightPassword);
        HttpRequest *request = makeRequest(QStringLiteral("auth/basic"));
        int error = -1;
        QByteArray data;
        connect(request, &HttpRequest::finished, this, [&, request]() {
            error = request->error;
            data = request->data;
            request->deleteLater();
        });
        m_http->requestAuth(request, m_server.userName(), rightPassword ? m_server.password() : QStringLiteral("x"));
        QCOMPARE(error, rightPassword ? 0 : HttpRequest::AuthenticationFailed);
        QCOMPARE(data.isEmpty(), !rightPassword);
        const QList<TestServerRequest> log = m_server.requestLog();
        QCOMPARE(log.size(), 2);
        QVERIFY(log.at(1).header("authorization").startsWith("Basic "));
    }

    void authorizationNeverLogged()
    {
        LogCapture log;
        m_http->setToken(QStringLiteral("secret-token"));
        HttpRequest *request = makeRequest(QStringLiteral("auth/digest"));
        connect(request, &HttpRequest::finished, request, &HttpRequest::deleteLater);
        m_http->requestAuth(request, m_server.userName(), QStringLiteral("wrong-password"));
        const QStringList lines = log.lines();
        QVERIFY(!lines.isEmpty());
        for (const QString &line : lines) {
            QVERIFY2(!line.contains(QStringLiteral("Digest username")), qPrintable(line));
            QVERIFY2(!line.contains(QStringLiteral("response=")), qPrintable(line));
            QVERIFY2(!line.contains(QStringLiteral("secret-token")), qPrintable(line));
        }
    }
};

QTEST_GUILESS_MAIN(TestHttpManager)
#include "tst_httpmanager.moc"
