#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "eventwait.h"
#include "qmlapi.h"

namespace {

// What a window received of pointer input, in order.
struct PointerRecord
{
    QEvent::Type type;
    QPointF position;
    Qt::MouseButton button;
    Qt::MouseButtons buttons;
    Qt::KeyboardModifiers modifiers;
};

class PointerRecorder : public QObject
{
public:
    QList<PointerRecord> records;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Enter:
        case QEvent::Leave: {
            const auto *mouse = static_cast<QSinglePointEvent *>(event);
            records.append({event->type(), mouse->position(), mouse->button(), mouse->buttons(), mouse->modifiers()});
            break;
        }
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

const QByteArray kClickTarget = "import QtQuick\n"
                                "Rectangle {\n"
                                "  width: 200; height: 100\n"
                                "  property point lastClick: Qt.point(-1, -1)\n"
                                "  property int clicks: 0\n"
                                "  property point wheelDelta\n"
                                "  property bool hovered: area.containsMouse\n"
                                "  MouseArea {\n"
                                "    id: area\n"
                                "    anchors.fill: parent\n"
                                "    hoverEnabled: true\n"
                                "    onClicked: (mouse) => { parent.lastClick = Qt.point(mouse.x, mouse.y); parent.clicks++ }\n"
                                "    onWheel: (wheel) => parent.wheelDelta = wheel.angleDelta\n"
                                "  }\n"
                                "}\n";

QString writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return path;
}

QDateTime localDateTime(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

} // namespace

class TestQmlApi : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_qmlDir;
    QScopedPointer<QQuickView> m_view;
    PointerRecorder m_recorder;

    QPoint viewOrigin() const { return m_view->mapToGlobal(QPoint(0, 0)); }

private slots:
    void initTestCase()
    {
        qmlRegisterUncreatableType<QmlApi>("an.qmlapi", 1, 0, "QmlApi", QStringLiteral("Can't created: QmlApi"));
        m_view.reset(new QQuickView);
        m_view->setResizeMode(QQuickView::SizeRootObjectToView);
        m_view->setGeometry(40, 30, 200, 100);
        m_view->setSource(QUrl::fromLocalFile(writeFile(m_qmlDir.filePath("clicktarget.qml"), kClickTarget)));
        QVERIFY2(m_view->rootObject(), qPrintable(m_view->errors().isEmpty() ? QString() : m_view->errors().first().toString()));
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.data()));
        m_view->installEventFilter(&m_recorder);
    }

    void init()
    {
        m_recorder.records.clear();
    }

    void clockStartsEmptyAndTicks()
    {
        QmlApi api;
        QVERIFY(api.currentDateTime().isEmpty());
        QSignalSpy spy(&api, &QmlApi::currentDateTimeChanged);
        QVERIFY(spy.wait(kEventWaitMs));
        const QString text = api.currentDateTime();
        static const QRegularExpression shape(QStringLiteral("^\\d{4}年\\d{2}月\\d{2}日 \\d{2}:\\d{2}:\\d{2}$"));
        QVERIFY2(shape.match(text).hasMatch(), qPrintable(text));
        const QDateTime shown = QDateTime::fromString(text, QStringLiteral("yyyy年MM月dd日 hh:mm:ss"));
        QVERIFY(qAbs(shown.secsTo(QDateTime::currentDateTime())) <= 2);
        QVERIFY(spy.wait(kEventWaitMs));
        QVERIFY(api.currentDateTime() != text);
    }

    void clockTextStoredOnlyOnChange()
    {
        QmlApi api;
        QSignalSpy spy(&api, &QmlApi::currentDateTimeChanged);
        api.setCurrentDateTime(QStringLiteral("x"));
        api.setCurrentDateTime(QStringLiteral("x"));
        QCOMPARE(spy.count(), 1);
    }

    // Counts from the object, not from the epoch, and goes on at least as fast as time.
    void steadyClockCountsFromTheObject()
    {
        QmlApi api;
        QElapsedTimer slept;
        slept.start();
        const qint64 start = api.steadyMSecs();
        QVERIFY2(start >= 0 && start < 60000, qPrintable(QString::number(start)));
        QTest::qSleep(50);
        QVERIFY(api.steadyMSecs() - start >= 50);
        QVERIFY(api.steadyMSecs() <= start + slept.elapsed() + 1000);
    }

    void convertsByFormat()
    {
        QmlApi api;
        QCOMPARE(api.convertDatetime(QStringLiteral("20240131090507"), QStringLiteral("yyyyMMddhhmmss"),
                                     QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                 QStringLiteral("2024-01-31 09:05:07"));
        // Two-digit years count from 1900.
        QCOMPARE(api.convertDatetime(QStringLiteral("240131"), QStringLiteral("yyMMdd"), QStringLiteral("yyyy-MM-dd")),
                 QStringLiteral("1924-01-31"));
        QCOMPARE(api.convertDatetime(QStringLiteral("2024-02-30"), QStringLiteral("yyyy-MM-dd"),
                                     QStringLiteral("yyyy")),
                 QString());
    }

    void secondsOfTheDay()
    {
        QmlApi api;
        QCOMPARE(api.getTimeSeconds(QStringLiteral("01:00:30"), QStringLiteral("hh:mm:ss")), 3630);
        QCOMPARE(api.getTimeSeconds(QStringLiteral("00:00:00"), QStringLiteral("hh:mm:ss")), 0);
        QCOMPARE(api.getTimeSeconds(QStringLiteral("2024-01-31 23:59:59"), QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                 86399);
    }

    void epochMilliseconds()
    {
        QmlApi api;
        const QDateTime moment = localDateTime(2024, 1, 31, 9, 5, 7);
        QCOMPARE(api.toMSecsSinceEpoch(QStringLiteral("2024-01-31 09:05:07"), QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                 qulonglong(moment.toMSecsSinceEpoch()));
        QCOMPARE(api.fromMSecsSinceEpochToString(moment.toMSecsSinceEpoch(), QStringLiteral("yyyy/MM/dd hh:mm:ss")),
                 QStringLiteral("2024/01/31 09:05:07"));
    }

    void monthAndYearSteps_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<int>("years");
        QTest::addColumn<int>("months");
        QTest::addColumn<QDateTime>("expected");
        QTest::newRow("leap February end") << localDateTime(2024, 1, 31, 10) << 0 << 1 << localDateTime(2024, 2, 29, 10);
        QTest::newRow("common February end") << localDateTime(2023, 1, 31) << 0 << 1 << localDateTime(2023, 2, 28);
        QTest::newRow("back from March end") << localDateTime(2024, 3, 31) << 0 << -1 << localDateTime(2024, 2, 29);
        QTest::newRow("across the year") << localDateTime(2023, 12, 15) << 0 << 2 << localDateTime(2024, 2, 15);
        QTest::newRow("leap day plus a year") << localDateTime(2024, 2, 29) << 1 << 0 << localDateTime(2025, 2, 28);
        QTest::newRow("year back") << localDateTime(2024, 6, 1) << -1 << 0 << localDateTime(2023, 6, 1);
    }

    void monthAndYearSteps()
    {
        QFETCH(QDateTime, start);
        QFETCH(int, years);
        QFETCH(int, months);
        QFETCH(QDateTime, expected);
        QmlApi api;
        const QDateTime result = years ? api.addDateYear(start, years) : api.addDateMonth(start, months);
        QCOMPARE(result, expected);
    }

    void currentDateTimeByFormat()
    {
        QmlApi api;
        const QString year = api.getCurrentDateTime(QStringLiteral("yyyy"));
        QCOMPARE(year, QString::number(QDate::currentDate().year()));
    }

    void lineAngles_data()
    {
        QTest::addColumn<QPointF>("origin");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<double>("angle");
        QTest::newRow("down") << QPointF(0, 0) << QPoint(0, 10) << 270.0;
        QTest::newRow("right") << QPointF(0, 0) << QPoint(10, 0) << 0.0;
        QTest::newRow("up") << QPointF(0, 0) << QPoint(0, -10) << 90.0;
        QTest::newRow("left") << QPointF(0, 0) << QPoint(-10, 0) << 180.0;
        QTest::newRow("up-left from offset") << QPointF(10.5, 10.5) << QPoint(0, 0) << 135.0;
        QTest::newRow("just below right") << QPointF(0, 0) << QPoint(1000, 1) << 360.0 - 0.0572957;
        QTest::newRow("same point") << QPointF(3, 3) << QPoint(3, 3) << 0.0;
    }

    void lineAngles()
    {
        QFETCH(QPointF, origin);
        QFETCH(QPoint, point);
        QFETCH(double, angle);
        QmlApi api;
        const double result = api.lineAngle(origin, point);
        QVERIFY2(qAbs(result - angle) < 1e-4, qPrintable(QString::number(result)));
        QVERIFY(result >= 0.0 && result < 360.0);
    }

    void filesAndFolders()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("layout.json"), "{}");
        writeFile(dir.filePath("map_source.json"), "[]");
        writeFile(dir.filePath("notes.txt"), "x");
        QDir(dir.path()).mkdir(QStringLiteral("folder.json"));
        QmlApi api;

        QStringList names = api.getAllFileNames(dir.path(), {QStringLiteral("*.json")});
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("layout.json"), QStringLiteral("map_source.json")}));
        QStringList paths = api.getAllFiles(dir.path(), {QStringLiteral("*.txt"), QStringLiteral("layout.*")});
        paths.sort();
        QCOMPARE(paths, (QStringList{dir.path() + "/layout.json", dir.path() + "/notes.txt"}));
        QVERIFY(api.getAllFileNames(dir.filePath("missing"), {QStringLiteral("*")}).isEmpty());
        QVERIFY(api.getAllFiles(dir.filePath("missing"), {QStringLiteral("*")}).isEmpty());

        const QString text = QStringLiteral("布局 layout");
        writeFile(dir.filePath("utf8.txt"), text.toUtf8());
        QCOMPARE(api.readFileToString(dir.filePath("utf8.txt")), text);
        writeFile(dir.filePath("broken.txt"), "a\xff" "b");
        QCOMPARE(api.readFileToString(dir.filePath("broken.txt")), QStringLiteral("a\uFFFDb"));
        QCOMPARE(api.readFileToString(dir.filePath("missing.txt")), QString());

        const QString spaced = dir.filePath("a b#c.txt");
        QCOMPARE(api.urlToLocalFile(QUrl::fromLocalFile(spaced)), spaced);
        QCOMPARE(api.getApplicationDir(), QCoreApplication::applicationDirPath());
    }

    void clipboardAndScreen()
    {
        QmlApi api;
        api.setClipBoardText(QStringLiteral("rtsp://127.0.0.1/链接"));
        QCOMPARE(QGuiApplication::clipboard()->text(QClipboard::Clipboard), QStringLiteral("rtsp://127.0.0.1/链接"));
        QCOMPARE(api.primaryScreen(), QGuiApplication::primaryScreen());
    }

    void syntheticClickAtWindowOriginHitsCentre()
    {
        QmlApi api;
        QObject *root = m_view->rootObject();
        api.handleMouseEvent(QmlApi::MouseClick, m_view.data(), Qt::LeftButton, 0, viewOrigin());
        QCOMPARE(root->property("clicks").toInt(), 1);
        QCOMPARE(root->property("lastClick").toPointF(), QPointF(100, 50));

        QCOMPARE(m_recorder.records.size(), 2);
        const PointerRecord press = m_recorder.records.at(0);
        const PointerRecord release = m_recorder.records.at(1);
        QCOMPARE(press.type, QEvent::MouseButtonPress);
        QCOMPARE(press.buttons, Qt::MouseButtons(Qt::LeftButton));
        QCOMPARE(release.type, QEvent::MouseButtonRelease);
        QCOMPARE(release.position, QPointF(100, 50));
        QCOMPARE(release.buttons, Qt::MouseButtons(Qt::NoButton));
    }

    void syntheticClickAtPositionWithModifiers()
    {
        QmlApi api;
        QObject *root = m_view->rootObject();
        const int stateKey = int(Qt::ControlModifier) | 0x41; // a key code in the low bits
        api.handleMouseEvent(QmlApi::MouseClick, m_view.data(), Qt::LeftButton, stateKey, viewOrigin() + QPoint(20, 30));
        QCOMPARE(root->property("lastClick").toPointF(), QPointF(20, 30));
        QCOMPARE(m_recorder.records.size(), 2);
        QCOMPARE(m_recorder.records.at(0).position, QPointF(20, 30));
        QCOMPARE(m_recorder.records.at(0).modifiers, Qt::KeyboardModifiers(Qt::ControlModifier));
    }

    void buttonStateLivesAcrossCalls()
    {
        QmlApi api;
        const QPoint at = viewOrigin() + QPoint(10, 10);
        api.handleMouseEvent(QmlApi::MousePresse, m_view.data(), Qt::RightButton, 0, at);
        api.handleMouseEvent(QmlApi::MouseMove, m_view.data(), Qt::NoButton, 0, at + QPoint(5, 0));
        api.handleMouseEvent(QmlApi::MouseRelease, m_view.data(), Qt::RightButton, 0, at + QPoint(5, 0));
        api.handleMouseEvent(QmlApi::MouseMove, m_view.data(), Qt::NoButton, 0, at);
        QCOMPARE(m_recorder.records.size(), 4);
        QCOMPARE(m_recorder.records.at(1).type, QEvent::MouseMove);
        QCOMPARE(m_recorder.records.at(1).buttons, Qt::MouseButtons(Qt::RightButton));
        QCOMPARE(m_recorder.records.at(2).buttons, Qt::MouseButtons(Qt::NoButton));
        QCOMPARE(m_recorder.records.at(3).buttons, Qt::MouseButtons(Qt::NoButton));
    }

    void enterLeaveAndDoubleClick()
    {
        QmlApi api;
        const QPoint at = viewOrigin() + QPoint(50, 40);
        api.handleMouseEvent(QmlApi::MouseEnter, m_view.data(), Qt::NoButton, 0, at);
        QVERIFY(m_view->rootObject()->property("hovered").toBool());
        api.handleMouseEvent(QmlApi::MouseLeave, m_view.data(), Qt::NoButton, 0, at);
        QVERIFY(!m_view->rootObject()->property("hovered").toBool());
        api.handleMouseEvent(QmlApi::MouseDClick, m_view.data(), Qt::NoButton, 0, at);
        QCOMPARE(m_recorder.records.size(), 3);
        QCOMPARE(m_recorder.records.at(0).type, QEvent::Enter);
        QCOMPARE(m_recorder.records.at(0).position, QPointF(50, 40));
        QCOMPARE(m_recorder.records.at(1).type, QEvent::Leave);
        QCOMPARE(m_recorder.records.at(2).type, QEvent::MouseButtonDblClick);
    }

    void wheelKindPostsNothingButRunsPendingEvents()
    {
        QmlApi api;
        bool ran = false;
        QMetaObject::invokeMethod(this, [&ran] { ran = true; }, Qt::QueuedConnection);
        api.handleMouseEvent(QmlApi::MouseWheel, m_view.data(), Qt::LeftButton, 0, viewOrigin());
        QVERIFY(ran);
        QVERIFY(m_recorder.records.isEmpty());

        // No window: nothing happens at all.
        api.handleMouseEvent(QmlApi::MouseClick, nullptr, Qt::LeftButton, 0, QPoint());
        api.handleMouseWheel(nullptr, QPointF(), QPoint(), QPoint(0, 120), 0, 0, false);
        QVERIFY(m_recorder.records.isEmpty());
    }

    void syntheticWheelReachesItem()
    {
        QmlApi api;
        api.handleMouseWheel(m_view.data(), QPointF(viewOrigin() + QPoint(60, 50)), QPoint(), QPoint(0, -120), 0, 0,
                             false);
        QCOMPARE(m_view->rootObject()->property("wheelDelta").toPointF(), QPointF(0, -120));
    }

    void qmlSeesTheObjectButCannotCreateIt()
    {
        QQmlEngine engine;
        QmlApi api;
        engine.rootContext()->setContextProperty(QStringLiteral("qmlApi"), &api);
        QQmlComponent user(&engine);
        user.setData("import QtQml\nimport an.qmlapi 1.0\n"
                     "QtObject {\n"
                     "  property string day: qmlApi.convertDatetime('20240131', 'yyyyMMdd', 'dd/MM/yyyy')\n"
                     "  property int click: QmlApi.MouseClick\n"
                     "  property real angle: qmlApi.lineAngle(Qt.point(0, 0), Qt.point(0, 10))\n"
                     "  property real steady: qmlApi.steadyMSecs()\n"
                     "  property bool injected: false\n"
                     "  Component.onCompleted: {\n"
                     "    qmlApi.handleMouseEvent(QmlApi.MouseWheel, null, Qt.LeftButton, 0, Qt.point(0, 0))\n"
                     "    injected = true\n"
                     "  }\n"
                     "}\n",
                     QUrl());
        QScopedPointer<QObject> object(user.create());
        QVERIFY2(object, qPrintable(user.errorString()));
        QCOMPARE(object->property("day").toString(), QStringLiteral("31/01/2024"));
        QCOMPARE(object->property("click").toInt(), 2);
        QCOMPARE(object->property("angle").toDouble(), 270.0);
        QVERIFY(object->property("steady").toDouble() >= 0 && object->property("steady").toDouble() < 60000);
        QVERIFY(object->property("injected").toBool());

        QQmlComponent maker(&engine);
        maker.setData("import QtQml\nimport an.qmlapi 1.0\nQmlApi {}\n", QUrl());
        QVERIFY(!maker.create());
        QVERIFY2(maker.errorString().contains(QStringLiteral("Can't created: QmlApi")), qPrintable(maker.errorString()));
    }

    void singletonIsOneObject()
    {
        QCOMPARE(QmlApi::instance(), QmlApi::instance());
    }
};

QTEST_MAIN(TestQmlApi)
#include "tst_qmlapi.moc"
