#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "interface.h"

namespace {

QString writeIni(const QTemporaryDir &dir, const QByteArray &content)
{
    const QString path = dir.filePath(QStringLiteral("ui_config.ini"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

const QByteArray kPages = "Home=true\n"          // outside every group: not read
                          "[Pages]\n"
                          "Home=true\n"
                          "VideoSquare=true:false\n"
                          "RealtimeRetrieval=true:true\n"
                          "ElectronicMap=TRUE\n"
                          "RecordManage=true:true:true\n"
                          "AlarmQuery=false:true\n"
                          "this line has no equals sign\n"
                          "Blank=\n"
                          "[More]\n"
                          "Extra=:true\n";

} // namespace

class TestStyleInterface : public QObject
{
    Q_OBJECT

private slots:
    void pageSwitchWords_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("checked");
        QTest::newRow("true") << "Home" << true << false;
        QTest::newRow("true:false") << "VideoSquare" << true << false;
        QTest::newRow("true:true") << "RealtimeRetrieval" << true << true;
        QTest::newRow("TRUE is not true") << "ElectronicMap" << false << false;
        QTest::newRow("three words ignored") << "RecordManage" << false << false;
        QTest::newRow("false:true") << "AlarmQuery" << false << true;
        QTest::newRow("missing key hides") << "SystemSetting" << false << false;
        QTest::newRow("empty value") << "Blank" << false << false;
        QTest::newRow("empty first word") << "Extra" << false << true;
        QTest::newRow("names are exact") << "home" << false << false;
    }

    void pageSwitchWords()
    {
        QFETCH(QString, page);
        QFETCH(bool, visible);
        QFETCH(bool, checked);
        QTemporaryDir dir;
        const Interface pages(writeIni(dir, kPages), nullptr);
        QCOMPARE(pages.visible(page), visible);
        QCOMPARE(pages.checked(page), checked);
    }

    void keyOutsideGroupsIsNotRead()
    {
        QTemporaryDir dir;
        const Interface pages(writeIni(dir, "Home=true\nAlarmQuery=true\n[Pages]\nVideoSquare=true\n"), nullptr);
        QVERIFY(!pages.visible(QStringLiteral("AlarmQuery")));
        QVERIFY(pages.visible(QStringLiteral("VideoSquare")));
    }

    void laterGroupWins()
    {
        QTemporaryDir dir;
        const Interface pages(writeIni(dir, "[A]\nHome=true:true\n[B]\nHome=false\n"), nullptr);
        QVERIFY(!pages.visible(QStringLiteral("Home")));
        QVERIFY(!pages.checked(QStringLiteral("Home")));
    }

    void missingFileHidesEveryPage()
    {
        const Interface pages(QStringLiteral("no/such/ui_config.ini"), nullptr);
        for (const char *page : {"Home", "VideoSquare", "RealtimeRetrieval", "ElectronicMap", "RecordManage",
                                 "AlarmQuery", "SystemSetting"})
            QVERIFY(!pages.visible(QLatin1String(page)));
    }

    void defaultFileIsBesideTheExecutable()
    {
        QCOMPARE(Interface::defaultFilePath(),
                 QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("config/ui_config.ini")));
    }
};

QTEST_MAIN(TestStyleInterface)
#include "tst_styleinterface.moc"
