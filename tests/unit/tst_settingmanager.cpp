#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "filechecks.h"
#include "settingmanager.h"

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Every signal of the record, for checks that a step emits nothing.
QList<QSharedPointer<QSignalSpy>> spyAllSignals(Settings *settings)
{
    QList<QSharedPointer<QSignalSpy>> spies;
    const QMetaObject *meta = settings->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal)
            spies.append(QSharedPointer<QSignalSpy>::create(settings, method));
    }
    return spies;
}

int emittedCount(const QList<QSharedPointer<QSignalSpy>> &spies)
{
    int count = 0;
    for (const auto &spy : spies)
        count += spy->count();
    return count;
}

} // namespace

class TestSettingManager : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }

    void missingFileGivesDefaultsAndIsWrittenWithEveryKey()
    {
        const QString iniPath = m_dir->filePath(QStringLiteral("config.ini"));
        {
            SettingManager store(m_dir->path());
            store.readSettings();
            const Settings *s = store.settings();
            QCOMPARE(s->playerProtocol(), QStringLiteral("RTSP"));
            QCOMPARE(s->carouselInterval(), 30);
            QCOMPARE(s->hosts(), QStringList{QString()});
            QVERIFY(s->host().isEmpty());
            QVERIFY(s->port().isEmpty());
            QCOMPARE(s->multiSampleSize(), 0);
            QVERIFY(!s->remember());
            QVERIFY(s->carouselList().isEmpty());
            QVERIFY(s->layoutList().isEmpty());
            QVERIFY(!QFile::exists(iniPath));
        }
        const QByteArray ini = readFile(iniPath);
        const char *keys[] = {"MultiSampleSize=0", "GraphicsBackend=", "Remeber=false", "AutoLogin=false", "Host=:",
                              "Username=", "Password=", "EnableDebug=false", "PtzSpeed=0", "Layout=",
                              "SnapshotPath=", "RecordPath=", "PlayerProtocol=RTSP", "PlayerProDecodeType=0",
                              "PlayerConnectionType=0", "CarouselOnStart=false", "CarouselList=",
                              "CarouselInterval=30", "[Global]", "[VideoConfig]", "[Other]"};
        for (const char *key : keys)
            QVERIFY2(ini.contains(key), key);
        QVERIFY(isOwnerOnly(iniPath));
    }

    void quotedHostListAndRefresh()
    {
        writeFile(m_dir->filePath("config.ini"), "[Global]\nHost=\"10.0.0.5:10000,10.0.0.6:10000\"\n");
        SettingManager store(m_dir->path());
        store.readSettings();
        Settings *s = store.settings();
        QCOMPARE(s->hosts().size(), 2);
        QCOMPARE(s->host(), QStringLiteral("10.0.0.5"));
        QCOMPARE(s->port(), QStringLiteral("10000"));

        store.refreshHost();
        QCOMPARE(s->host(), QStringLiteral("10.0.0.6"));
        QCOMPARE(s->port(), QStringLiteral("10000"));

        QSignalSpy hostSpy(s, &Settings::hostChanged);
        store.refreshHost();
        QCOMPARE(s->host(), QStringLiteral("10.0.0.6"));
        QCOMPARE(hostSpy.count(), 0);

        // The entry in use is the one rewritten; the list stays quoted as one value.
        s->setPort(QStringLiteral("10001"));
        store.writeSettings();
        QVERIFY(readFile(m_dir->filePath("config.ini")).contains("Host=\"10.0.0.5:10000,10.0.0.6:10001\""));
    }

    void unquotedHostListIsStillOneList()
    {
        writeFile(m_dir->filePath("config.ini"), "[Global]\nHost=a:1,b:2\n");
        SettingManager store(m_dir->path());
        store.readSettings();
        QCOMPARE(store.settings()->hosts(), (QStringList{QStringLiteral("a:1"), QStringLiteral("b:2")}));
        QCOMPARE(store.settings()->host(), QStringLiteral("a"));
    }

    void unparsableHostIsKept_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::newRow("no colon") << QByteArray("videoserver");
        QTest::newRow("ipv6") << QByteArray("[fe80::1]:8080");
    }

    void unparsableHostIsKept()
    {
        QFETCH(QByteArray, entry);
        writeFile(m_dir->filePath("config.ini"), "[Global]\nHost=" + entry + "\n");
        {
            SettingManager store(m_dir->path());
            store.readSettings();
            QVERIFY(store.settings()->host().isEmpty());
            QVERIFY(store.settings()->port().isEmpty());
        }
        SettingManager reread(m_dir->path());
        reread.readSettings();
        QCOMPARE(reread.settings()->hosts(), QStringList{QString::fromLatin1(entry)});
    }

    void unparsableHostIsReplacedOnceTheOperatorSetsOne()
    {
        writeFile(m_dir->filePath("config.ini"), "[Global]\nHost=videoserver\n");
        SettingManager store(m_dir->path());
        store.readSettings();
        store.settings()->setHost(QStringLiteral("127.0.0.1"));
        store.settings()->setPort(QStringLiteral("8080"));
        store.writeSettings();
        QVERIFY(readFile(m_dir->filePath("config.ini")).contains("Host=127.0.0.1:8080"));
    }

    void shortenedHostListNeverTouchesAMissingEntry()
    {
        writeFile(m_dir->filePath("config.ini"), "[Global]\nHost=h:1\n");
        SettingManager store(m_dir->path());
        store.readSettings();
        store.settings()->setHosts({});
        store.writeSettings();
        QVERIFY(store.settings()->hosts().isEmpty());
    }

    void protocolIsUpperCased()
    {
        writeFile(m_dir->filePath("config.ini"), "[VideoConfig]\nPlayerProtocol=rtmp\n");
        {
            SettingManager store(m_dir->path());
            store.readSettings();
            QCOMPARE(store.settings()->playerProtocol(), QStringLiteral("RTMP"));
        }
        QVERIFY(readFile(m_dir->filePath("config.ini")).contains("PlayerProtocol=RTMP"));
    }

    void nonAsciiPasswordRoundTrip()
    {
        const QString password = QStringLiteral("密码Pässwörd#1");
        const QByteArray base64 = password.toUtf8().toBase64();
        writeFile(m_dir->filePath("config.ini"), "[Global]\nPassword=" + base64 + "\n");
        {
            SettingManager store(m_dir->path());
            store.readSettings();
            QCOMPARE(store.settings()->password(), password);
        }
        QVERIFY(readFile(m_dir->filePath("config.ini")).contains("Password=" + base64));
    }

    void layoutGroupWithAGap()
    {
        writeFile(m_dir->filePath("config.ini"), "[Layout]\nlayout1=2x2\nlayout3=3x3\n");
        SettingManager store(m_dir->path());
        store.readSettings();
        QCOMPARE(store.settings()->layoutList(), (QStringList{QStringLiteral("2x2"), QString()}));
        store.writeSettings();
        // The client never writes the group, so what the file had stays.
        QVERIFY(readFile(m_dir->filePath("config.ini")).contains("layout3=3x3"));
    }

    void carouselListRoundTrip_data()
    {
        QTest::addColumn<QList<int>>("list");
        QTest::newRow("empty") << QList<int>{};
        QTest::newRow("one") << QList<int>{7};
        QTest::newRow("several") << QList<int>{3, 1, 20};
    }

    void carouselListRoundTrip()
    {
        QFETCH(QList<int>, list);
        {
            SettingManager store(m_dir->path());
            store.readSettings();
            store.settings()->setCarouselList(list);
        }
        SettingManager reread(m_dir->path());
        reread.readSettings();
        QCOMPARE(reread.settings()->carouselList(), list);
    }

    void malformedNumbersReadAsZero()
    {
        writeFile(m_dir->filePath("config.ini"), "[Global]\nPtzSpeed=fast\n[Other]\nCarouselList=1, x, 3\n");
        SettingManager store(m_dir->path());
        store.readSettings();
        QCOMPARE(store.settings()->ptzSpeed(), 0);
        QCOMPARE(store.settings()->carouselList(), (QList<int>{1, 0, 3}));
    }

    void equalWritesAndRereadsEmitNothing()
    {
        writeFile(m_dir->filePath("config.ini"),
                  "[Global]\nHost=\"h:1,g:2\"\nUsername=admin\nPtzSpeed=5\n[Other]\nCarouselList=1, 2\n");
        SettingManager store(m_dir->path());
        store.readSettings();
        Settings *s = store.settings();
        const auto spies = spyAllSignals(s);

        s->setUsername(QStringLiteral("admin"));
        s->setPtzSpeed(5);
        s->setCarouselList({1, 2});
        s->setHosts({QStringLiteral("h:1"), QStringLiteral("g:2")});
        store.readSettings();
        QCOMPARE(emittedCount(spies), 0);

        QSignalSpy userSpy(s, &Settings::usernameChanged);
        s->setUsername(QStringLiteral("operator"));
        QCOMPARE(userSpy.count(), 1);
    }

    void configPathDoesNotMoveTheFile()
    {
        QTemporaryDir other;
        SettingManager store(m_dir->path());
        store.readSettings();
        store.setConfigPath(other.path());
        store.settings()->setUsername(QStringLiteral("x"));
        store.writeSettings();
        QVERIFY(QFile::exists(m_dir->filePath("config.ini")));
        QVERIFY(!QFile::exists(QDir(other.path()).filePath("config.ini")));
    }

    void writeTightensPermissionsAndLeavesNoTemporaryFiles()
    {
        const QString iniPath = m_dir->filePath("config.ini");
        writeFile(iniPath, "[Global]\nUsername=a\n");
        QFile::setPermissions(iniPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
        {
            SettingManager store(m_dir->path());
            store.readSettings();
            store.settings()->setUsername(QStringLiteral("b"));
        }
        QVERIFY(isOwnerOnly(iniPath));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("config.ini")});
        QVERIFY(readFile(iniPath).contains("Username=b"));
    }

    void missingFolderIsCreated()
    {
        const QString nested = m_dir->filePath(QStringLiteral("a/b"));
        {
            SettingManager store(nested);
            store.readSettings();
        }
        QVERIFY(QFile::exists(nested + QStringLiteral("/config.ini")));
    }

private:
    QScopedPointer<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestSettingManager)
#include "tst_settingmanager.moc"
