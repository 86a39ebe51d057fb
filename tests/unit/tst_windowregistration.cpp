#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QTest>

#include <memory>

#include "clientstartup.h"
#include "framelesswindow.h"
#include "qmlapi.h"

// The client's own registrations and root context, as the pages see them.
class TestWindowRegistration : public QObject
{
    Q_OBJECT

private:
    QQmlEngine *m_engine = nullptr;

    std::unique_ptr<QObject> create(const QByteArray &qml, QString *error = nullptr)
    {
        QQmlComponent component(m_engine);
        component.setData(qml, QUrl());
        std::unique_ptr<QObject> object(component.create());
        if (error)
            *error = component.errorString();
        return object;
    }

private slots:
    void initTestCase()
    {
        ClientStartup::registerQmlTypes();
        m_engine = new QQmlEngine(this);
        ClientStartup::installContextProperties(*m_engine);
    }

    void framelessWindowIsCreatable()
    {
        QString error;
        std::unique_ptr<QObject> window =
            create("import QtQuick\nimport an.window 1.0\n"
                   "FramelessWindow { width: 300; height: 200; captionWidth: width - 128; resizable: false }\n",
                   &error);
        auto *frameless = qobject_cast<FramelessWindow *>(window.get());
        QVERIFY2(frameless, qPrintable(error));
        QCOMPARE(frameless->captionArea(), QRectF(0, 0, 172, frameless->captionHeight()));
    }

    void qmlApiIsReachableButNotCreatable()
    {
        QCOMPARE(m_engine->rootContext()->contextProperty(QStringLiteral("qmlApi")).value<QObject *>(),
                 QmlApi::instance());

        QString error;
        std::unique_ptr<QObject> user =
            create("import QtQml\nimport an.qmlapi 1.0\n"
                   "QtObject { property int leave: QmlApi.MouseLeave\n"
                   "           property int seconds: qmlApi.getTimeSeconds('01:00:30', 'hh:mm:ss') }\n",
                   &error);
        QVERIFY2(user, qPrintable(error));
        QCOMPARE(user->property("leave").toInt(), 7);
        QCOMPARE(user->property("seconds").toInt(), 3630);

        QVERIFY(!create("import QtQml\nimport an.qmlapi 1.0\nQmlApi {}\n", &error));
        QVERIFY2(error.contains(QStringLiteral("Can't created: QmlApi")), qPrintable(error));
    }
};

QTEST_MAIN(TestWindowRegistration)
#include "tst_windowregistration.moc"
