// The style objects as the pages meet them: registered types, the root-context
// property, pictures and Chinese text in a real Qt Quick scene.
#include <QApplication>
#include <QFontInfo>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTemporaryDir>
#include <QTest>

#include "eventwait.h"
#include "clientstartup.h"
#include "fontfallback.h"
#include "style.h"
#include "stylemanager.h"

namespace {

constexpr int kImageReady = 1; // Image.Ready

QObject *create(QQmlEngine &engine, const QByteArray &qml, QString *error)
{
    QQmlComponent component(&engine);
    component.setData(qml, QUrl());
    QObject *object = component.create();
    *error = component.errorString();
    return object;
}

} // namespace

class TestStyleQml : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        FontFallback::install();
        ClientStartup::registerQmlTypes();
        StyleManager::instance()->loadStyleFile(QStringLiteral(":/zelka/style/default.json"));
    }

    void styleTypesAreRegistered()
    {
        QQmlEngine engine;
        ClientStartup::installContextProperties(engine);
        QString error;
        QScopedPointer<QObject> own(create(engine, "import QtQml\nimport an.style 1.0\nStyle {}\n", &error));
        QVERIFY2(qobject_cast<Style *>(own.data()), qPrintable(error));

        QScopedPointer<QObject> refused(create(engine, "import QtQml\nimport an.style 1.0\nStyleManager {}\n", &error));
        QVERIFY(!refused);
        QVERIFY2(error.contains(QStringLiteral("Can't created: StyleManager")), qPrintable(error));

        QScopedPointer<QObject> reader(create(engine,
                                              "import QtQml\nimport an.style 1.0\nQtObject {\n"
                                              "  property int k4: StyleManager.Style_4k\n"
                                              "  property int classic: StyleManager.ClassicMode\n"
                                              "  property string offline: styleManager.style.color(\"Home-DeviceListView-Item-Offline\")\n"
                                              "  property bool homeShown: styleManager.interface.visible(\"Home\")\n}\n",
                                              &error));
        QVERIFY2(reader, qPrintable(error));
        QCOMPARE(reader->property("k4").toInt(), 5);
        QCOMPARE(reader->property("classic").toInt(), 2);
        QCOMPARE(reader->property("offline").toString(), QStringLiteral("gray"));
        QCOMPARE(reader->property("homeShown").toBool(), false); // no ui_config.ini beside the test
    }

    void lookupsAreEvaluatedAgainOnReload()
    {
        QQmlEngine engine;
        ClientStartup::installContextProperties(engine);
        QString error;
        QScopedPointer<QObject> reader(create(
            engine, "import QtQml\nQtObject { property string pic: styleManager.style.image(\"Home-Loading\") }\n", &error));
        QVERIFY2(reader, qPrintable(error));
        QCOMPARE(reader->property("pic").toString(), QStringLiteral("qrc:/zelka/res/img/loading.gif"));
        QTest::ignoreMessage(QtDebugMsg, "Don't open style file!");
        StyleManager::instance()->loadStyleFile(QStringLiteral("missing.json"));
        QCOMPARE(reader->property("pic").toString(), QStringLiteral("[Home-Loading] Invalid!"));
        StyleManager::instance()->loadStyleFile(QStringLiteral(":/zelka/style/default.json"));
        QCOMPARE(reader->property("pic").toString(), QStringLiteral("qrc:/zelka/res/img/loading.gif"));
    }

    void chineseTextFallsBackToTheCjkFont()
    {
        for (const char *family : {"微软雅黑", "YouSheBiaoTiHei"}) {
            const QFontInfo info{QFont(QString::fromUtf8(family))};
            QCOMPARE(info.family(), QString::fromLatin1(FontFallback::kCjkFamily));
        }
        const QFontMetrics metrics{QGuiApplication::font()};
        QVERIFY(metrics.inFontUcs4(U'监'));
    }

    void scenePicturesLoadAndTextDraws()
    {
        QTemporaryDir dir;
        QFile qml(dir.filePath(QStringLiteral("scene.qml")));
        QVERIFY(qml.open(QIODevice::WriteOnly));
        qml.write("import QtQuick\n"
                  "Rectangle {\n"
                  "  width: 240; height: 80; color: \"#0b1a33\"\n"
                  "  property alias loading: spinner.status\n"
                  "  property alias icon: home.status\n"
                  "  property alias iconWidth: home.implicitWidth\n"
                  "  AnimatedImage { id: spinner; source: styleManager.style.image(\"Home-Loading\") }\n"
                  "  Image { id: home; x: 60; source: styleManager.style.image(\"Home-Home-Normal\") }\n"
                  "  Text { objectName: \"caption\"; y: 40; color: \"white\"; font.family: \"微软雅黑\";\n"
                  "         font.pixelSize: 24; text: \"视频监控\" }\n"
                  "}\n");
        qml.close();

        QQuickView view;
        ClientStartup::installContextProperties(*view.engine());
        view.setSource(QUrl::fromLocalFile(qml.fileName()));
        QCOMPARE(view.status(), QQuickView::Ready);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QObject *root = view.rootObject();
        QTRY_COMPARE_WITH_TIMEOUT(root->property("loading").toInt(), kImageReady, kEventWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(root->property("icon").toInt(), kImageReady, kEventWaitMs);
        QCOMPARE(root->property("iconWidth").toReal(), 32.0); // "@2x" pictures count half their pixels

        const QImage shot = view.grabWindow();
        int bright = 0;
        for (int y = 40; y < shot.height(); ++y)
            for (int x = 0; x < 120; ++x)
                bright += qGray(shot.pixel(x, y)) > 160 ? 1 : 0;
        QVERIFY2(bright > 60, qPrintable(QString::number(bright)));
    }
};

QTEST_MAIN(TestStyleQml)
#include "tst_styleqml.moc"
