// The real screen measurement, on the offscreen platform given a 4K screen at
// 144 dpi: Qt scales it (96 logical dpi, device pixel ratio 1.5), the grab still
// counts physical pixels, and the client sizes for its logical 2560 x 1440.
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "screenmeasurement.h"
#include "stylemanager.h"

class TestStyleScreen : public QObject
{
    Q_OBJECT

private slots:
    void realProbeReadsTheConfiguredScreen()
    {
        const ScreenMeasurement m = screenProbe()(QGuiApplication::primaryScreen(), true);
        QCOMPARE(m.pixelSize, QSize(3840, 2160));
        QCOMPARE(m.logicalDpi, 96.0);
        QCOMPARE(m.devicePixelRatio, 1.5);
        QVERIFY(screenProbe()(QGuiApplication::primaryScreen(), false).pixelSize.isEmpty());
    }

    void singletonClassifiesThePrimaryScreen()
    {
        StyleManager *manager = StyleManager::instance();
        QCOMPARE(manager, StyleManager::instance());
        QCOMPARE(manager->styleType(), StyleManager::Style_2k);
        QCOMPARE(manager->scaleRatio(), 1.05);
        QCOMPARE(manager->fontScaleRatio(), 1.05);
        QCOMPARE(manager->styleMode(), StyleManager::ARMode);
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screen.json")));
    if (!config.open(QIODevice::WriteOnly))
        return 2;
    config.write(R"({"screens": [{"name": "uhd", "x": 0, "y": 0, "width": 3840, "height": 2160,
                     "logicalDpi": 144, "logicalBaseDpi": 96}]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    QGuiApplication app(argc, argv);
    TestStyleScreen test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stylescreen.moc"
