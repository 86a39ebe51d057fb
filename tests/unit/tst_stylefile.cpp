#include <QGuiApplication>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "style.h"
#include "stylemanager.h"

namespace {

const QString kBuiltIn = QStringLiteral(":/zelka/style/default.json");

ScreenProbe fixedScreen()
{
    return [](QScreen *, bool) { return ScreenMeasurement{QSize(1920, 1080), 96.0, 1.0}; };
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

// "qrc:/a/b.png" names the resource ":/a/b.png".
QString resourcePath(const QString &url)
{
    const QUrl parsed(url);
    return parsed.scheme() == QLatin1String("qrc") ? QLatin1Char(':') + parsed.path() : QString();
}

} // namespace

class TestStyleFile : public QObject
{
    Q_OBJECT

private:
    StyleManager *manager = nullptr;
    Style *style() const { return manager->style(); }

private slots:
    void init()
    {
        manager = new StyleManager(fixedScreen(), QStringLiteral("none/ui_config.ini"));
        manager->loadStyleFile(kBuiltIn);
    }

    void cleanup()
    {
        delete manager;
        manager = nullptr;
    }

    void builtInFileHasEveryKey()
    {
        QCOMPARE(style()->colorCount(), 52);
        QCOMPARE(style()->imageCount(), 134);
        QFile file(kBuiltIn);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("\xEF\xBB\xBF{"));
    }

    void builtInSpotValues_data()
    {
        QTest::addColumn<bool>("isColor");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("offline") << true << "Home-DeviceListView-Item-Offline" << "gray";
        QTest::newRow("input background") << true << "Login-Input-Background" << "#a0222222";
        QTest::newRow("short form") << true << "Login-Input-BorderColor" << "#666";
        QTest::newRow("mixed case") << true << "Widgets-Slider-ProgressBar-Background" << "#e016FFFE";
        QTest::newRow("last colour") << true << "Widgets-ComboBox-SelectedColor" << "#80008274";
        QTest::newRow("colour End") << true << "End" << "";
        QTest::newRow("loading") << false << "Home-Loading" << "qrc:/zelka/res/img/loading.gif";
        QTest::newRow("image End") << false << "End" << "";
        QTest::newRow("min hovered = pressed") << false << "Login-MinButton-Hovered" << "qrc:/zelka/res/img/small_icon_click.png";
        QTest::newRow("misspelt area") << false << "CamerIcon-Videotape-Pressed"
                                       << "qrc:/zelka/res/img/cameraicon/videotape_click@2x.png";
        QTest::newRow("misspelt key") << false << "ElectronicMap-DefalutIcon"
                                      << "qrc:/zelka/res/img/electronicmap/map_default_cion.png";
        QTest::newRow("no @ before 2x") << false << "CamerIcon-Proportion-Normal"
                                        << "qrc:/zelka/res/img/cameraicon/proportion_icon2x.png";
        QTest::newRow("lastest") << false << "Home-LastestAlarmIcon"
                                 << "qrc:/zelka/res/img/homepage/lastest_warning_icon@2x.png";
        QTest::newRow("admin page") << false << "Home-Admin-Page-Clicked" << "qrc:/zelka/res/img/homepage/admin_bg_click.png";
        QTest::newRow("month right") << false << "RecordManage-Calendar-MonthRight-Clicked"
                                     << "qrc:/zelka/res/img/recordmanage/calendar_month_right_click@2x.png";
    }

    void builtInSpotValues()
    {
        QFETCH(bool, isColor);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(isColor ? style()->color(key) : style()->image(key), value);
    }

    void unknownKeysGiveTheInvalidText()
    {
        QTest::ignoreMessage(QtWarningMsg, "Warning: [Home-NoSuchColour] Invalid!");
        QCOMPARE(style()->color(QStringLiteral("Home-NoSuchColour")), QStringLiteral("[Home-NoSuchColour] Invalid!"));
        QTest::ignoreMessage(QtWarningMsg, "Warning: [login-textcolor] Invalid!");
        QCOMPARE(style()->color(QStringLiteral("login-textcolor")), QStringLiteral("[login-textcolor] Invalid!"));

        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        QCOMPARE(style()->image(QStringLiteral("Home-SystemSet-Normal")), QStringLiteral("[Home-SystemSet-Normal] Invalid!"));
        QCOMPARE(style()->image(QStringLiteral("ElectronicMap-AlarmIcon")),
                 QStringLiteral("[ElectronicMap-AlarmIcon] Invalid!"));
    }

    void everyImageKeyNamesALoadablePicture()
    {
        const QStringList keys = style()->imageKeys();
        int checked = 0;
        for (const QString &key : keys) {
            if (key == QLatin1String("End"))
                continue;
            const QString url = style()->image(key);
            QVERIFY2(url.startsWith(QLatin1String("qrc:/zelka/res/img/")), qPrintable(key + " " + url));
            QImageReader reader(resourcePath(url));
            const QImage picture = reader.read();
            QVERIFY2(!picture.isNull(), qPrintable(key + ": " + url + " " + reader.errorString()));
            QVERIFY2(picture.width() >= 8 && picture.height() >= 8, qPrintable(url));
            // Double-resolution pictures must halve to whole logical pixels.
            if (url.contains(QLatin1String("@2x")))
                QVERIFY2(picture.width() % 2 == 0 && picture.height() % 2 == 0, qPrintable(url));
            ++checked;
        }
        QCOMPARE(checked, 133);
    }

    void picturesAreNotBlank()
    {
        const QStringList keys = style()->imageKeys();
        for (const QString &key : keys) {
            if (key == QLatin1String("End"))
                continue;
            const QImage picture = QImage(resourcePath(style()->image(key))).convertToFormat(QImage::Format_ARGB32);
            int drawn = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    drawn += qAlpha(picture.pixel(x, y)) > 64 ? 1 : 0;
            QVERIFY2(drawn * 50 >= picture.width() * picture.height(), qPrintable(key));
        }
    }

    void loadingSpinnerAnimates()
    {
        QImageReader reader(resourcePath(style()->image(QStringLiteral("Home-Loading"))));
        QVERIFY(reader.supportsAnimation());
        QVERIFY(reader.imageCount() > 1);
    }

    void missingFileEmptiesTablesAndAnnounces()
    {
        QSignalSpy changed(manager, &StyleManager::styleChanged);
        QTest::ignoreMessage(QtDebugMsg, "Don't open style file!");
        manager->loadStyleFile(QStringLiteral("no/such/style.json"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(style()->colorCount(), 0);
        QCOMPARE(style()->imageCount(), 0);
        QCOMPARE(style()->image(QStringLiteral("Home-Loading")), QStringLiteral("[Home-Loading] Invalid!"));
    }

    void secondFileReplacesTheTables()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("other.json"),
                                       "{\"colors\": {\"Login-TextColor\": \"#123456\", \"Odd\": 5},"
                                       " \"images\": {\"Home-Loading\": \"qrc:/x.gif\"}, \"version\": 2}");
        QSignalSpy changed(manager, &StyleManager::styleChanged);
        manager->loadStyleFile(path);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(style()->color(QStringLiteral("Login-TextColor")), QStringLiteral("#123456"));
        QCOMPARE(style()->color(QStringLiteral("Odd")), QString()); // not a string: empty text
        QCOMPARE(style()->image(QStringLiteral("Home-Loading")), QStringLiteral("qrc:/x.gif"));
        QTest::ignoreMessage(QtWarningMsg, "Warning: [Home-Window-Background] Invalid!");
        QCOMPARE(style()->color(QStringLiteral("Home-Window-Background")), QStringLiteral("[Home-Window-Background] Invalid!"));
    }

    void malformedFilesLeaveEmptyTables_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not json") << QByteArray("{\"colors\": {\"A\": \"#fff\"");
        QTest::newRow("array") << QByteArray("[1, 2]");
        QTest::newRow("members not objects") << QByteArray("{\"colors\": [\"#fff\"], \"images\": \"x\"}");
        QTest::newRow("empty") << QByteArray();
    }

    void malformedFilesLeaveEmptyTables()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        manager->loadStyleFile(writeFile(dir, QStringLiteral("bad.json"), content));
        QCOMPARE(style()->colorCount(), 0);
        QCOMPARE(style()->imageCount(), 0);
    }

    void imagesNeedAKnownScreenClass()
    {
        manager->setStyleType(StyleManager::StyleType(42));
        manager->loadStyleFile(kBuiltIn);
        QCOMPARE(style()->colorCount(), 52);
        QCOMPARE(style()->imageCount(), 0);
    }

    void styleMadeElsewhereIsEmpty()
    {
        Style own;
        QCOMPARE(own.imageCount(), 0);
        QCOMPARE(own.image(QStringLiteral("Home-Loading")), QStringLiteral("[Home-Loading] Invalid!"));
    }
};

QTEST_MAIN(TestStyleFile)
#include "tst_stylefile.moc"
