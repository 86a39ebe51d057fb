#pragma once

#include <QQmlEngine>
#include <QTest>

#include "eventwait.h"
#include "networkmanager.h"
#include "settings.h"
#include "testserver.h"

// Records every call of the JavaScript callbacks it hands out.
class CallbackRecorder
{
public:
    explicit CallbackRecorder(QQmlEngine &engine)
        : m_engine(engine)
    {
        reset();
    }

    void reset() { m_engine.globalObject().setProperty(QStringLiteral("calls"), m_engine.newArray()); }

    QJSValue callback()
    {
        return m_engine.evaluate(QStringLiteral("(function() { calls.push(Array.prototype.slice.call(arguments)); })"));
    }

    int count() const { return calls().property(QStringLiteral("length")).toInt(); }
    QJSValue call(int index) const { return calls().property(quint32(index)); }
    QJSValue argument(int index, int argument) const { return call(index).property(quint32(argument)); }
    bool waitFor(int n, int timeoutMs = kEventWaitMs) const
    {
        return QTest::qWaitFor([this, n]() { return count() >= n; }, timeoutMs);
    }

private:
    QJSValue calls() const { return m_engine.globalObject().property(QStringLiteral("calls")); }
    QQmlEngine &m_engine;
};

// An API client of its own talking to the in-process test server, with a QML engine
// for the JavaScript callbacks.
class ApiClientFixture
{
public:
    TestServer server;
    QScopedPointer<QQmlEngine> engine;
    QScopedPointer<Settings> settings;
    QScopedPointer<NetworkManager> client;
    QScopedPointer<CallbackRecorder> recorder;

    bool startServer() { return server.start(); }

    void setUp()
    {
        server.clearFaults();
        server.clearRequestLog();
        engine.reset(new QQmlEngine);
        NetworkManager::setQmlEngine(engine.data());
        settings.reset(new Settings);
        settings->setHost(server.host());
        settings->setPort(QString::number(server.httpPort()));
        settings->setPlayerProtocol(QStringLiteral("RTSP"));
        client.reset(new NetworkManager(settings.data()));
        recorder.reset(new CallbackRecorder(*engine));
    }

    void tearDown()
    {
        client.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        recorder.reset();
        engine.reset();
        settings.reset();
    }

    QList<TestServerRequest> waitForLog(int n)
    {
        (void)QTest::qWaitFor([this, n]() { return server.requestLog().size() >= n; }, kEventWaitMs);
        return server.requestLog();
    }

    static QString pathAndQuery(const TestServerRequest &request)
    {
        return request.rawQuery.isEmpty() ? request.path
                                          : request.path + QLatin1Char('?') + QString::fromUtf8(request.rawQuery);
    }

    QString lastPathAndQuery()
    {
        const QList<TestServerRequest> log = waitForLog(1);
        return log.isEmpty() ? QString() : pathAndQuery(log.last());
    }

    // Logs in with the seeded operator, then forgets the exchange.
    bool logIn()
    {
        client->login(server.userName(), server.password(), QString(), recorder->callback());
        const bool ok = recorder->waitFor(1) && recorder->argument(0, 0).toBool();
        server.clearRequestLog();
        recorder->reset();
        return ok;
    }

    void fault(const QString &path, int status, const QByteArray &body, bool nonJson = false)
    {
        TestServerFault f;
        f.status = status;
        f.body = body;
        f.nonJson200 = nonJson;
        f.contentType = "application/json";
        server.setFault(path, f);
    }
};
