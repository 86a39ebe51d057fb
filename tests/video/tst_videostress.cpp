// What a carousel of many tiles does to the playback items every few seconds, at once
// and while pictures are in flight: sources switched between RTSP, HTTP-FLV and files,
// cleared and set again, items destroyed while they open, and the window closed in the
// middle of a round. Nothing may crash or hang, and every close must finish.
// ZELKA_STRESS_ITEMS and ZELKA_STRESS_ROUNDS size it up for hunting by hand.
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include "settingmanager.h"
#include "settings.h"
#include "streamcloser.h"
#include "testserver.h"
#include "videoitem.h"
#include "videosnapitem.h"
#include "videotestkit.h"

#include <algorithm>
#include <memory>
#include <vector>

using namespace VideoTestKit;

namespace {

// Every close of a round finishes within this on a loaded machine.
constexpr auto kIdleBound = std::chrono::seconds(30);
constexpr int kColumns = 8;
constexpr QSizeF kTileSize(40, 30);

int sizeFromEnvironment(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// The child process of processEndsWhileChannelsClose(): starts every source of the
// environment on its tiles, waits a little, drops the tiles and leaves main at once, as
// the application does when its window is closed with a wall of tiles playing.
int exitWhileClosing(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList sources = qEnvironmentVariable("ZELKA_STRESS_EXIT_SOURCES").split(QLatin1Char(' '));
    const int itemCount = sizeFromEnvironment("ZELKA_STRESS_ITEMS", 48);
    QRandomGenerator random(quint32(QCoreApplication::applicationPid()));
    auto scene = std::make_unique<Scene>(QSize(kColumns * 40, (itemCount / kColumns + 1) * 30));
    // A tile that showed only a snapshot and went before any stream was opened (the
    // process's first item may well be one).
    delete scene->addItem(kTileSize);
    for (int index = 0; index < itemCount; ++index) {
        VideoItem *item = scene->addItem(kTileSize);
        item->setPosition(QPointF((index % kColumns) * kTileSize.width(), (index / kColumns) * kTileSize.height()));
        item->setVideoUrl(sources.at(index % sources.size()));
    }
    QTest::qWait(300 + int(random.bounded(1200)));
    scene.reset();
    return 0;
}

} // namespace

class TestVideoStress : public QObject
{
    Q_OBJECT

private:
    TestServer m_server;
    QStringList m_sources;
    // One item per RTSP mount plays from the first test to the last: the server's
    // shared pipelines never go down and come up again under the churn (its RTSP
    // library aborts or deadlocks when a PLAY meets a pipeline being torn down).
    std::unique_ptr<Scene> m_anchors;
    QRandomGenerator m_random{144};
    int m_itemCount = 0;
    int m_rounds = 0;

    QString anySource() { return m_sources.at(int(m_random.bounded(m_sources.size()))); }

    VideoItem *addTile(Scene &scene, int index)
    {
        VideoItem *item = scene.addItem(kTileSize);
        item->setPosition(QPointF((index % kColumns) * kTileSize.width(), (index / kColumns) * kTileSize.height()));
        return item;
    }

    // Half the time as a Loader lets its item go: out of the window first (which
    // releases its resources), deleted later from the event loop.
    void dropTile(VideoItem *tile)
    {
        if (m_random.bounded(2)) {
            delete tile;
            return;
        }
        tile->setParentItem(nullptr);
        tile->setVisible(false);
        tile->deleteLater();
    }

    // One carousel step for every tile: a new source, none, or none and then a new one
    // at once; a few tiles are replaced by new items while they open.
    void churn(Scene &scene, std::vector<VideoItem *> &tiles)
    {
        for (size_t index = 0; index < tiles.size(); ++index) {
            VideoItem *&tile = tiles[index];
            switch (m_random.bounded(6)) {
            case 0:
                tile->setVideoUrl(QString());
                break;
            case 1:
                tile->setVideoUrl(QString());
                tile->setVideoUrl(anySource());
                break;
            case 2:
                tile->setVideoUrl(anySource());
                dropTile(tile);
                tile = addTile(scene, int(index));
                tile->setVideoUrl(anySource());
                break;
            case 3:
                tile->stopPlay();
                tile->startPlay();
                break;
            default:
                tile->setVideoUrl(anySource());
                break;
            }
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!tenSecondClip().isEmpty());
        QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
        const QString rtsp = QStringLiteral("rtsp://127.0.0.1:%1/live/%2").arg(m_server.rtspPort());
        m_sources = {rtsp.arg(QLatin1String("h264")),
                     rtsp.arg(QLatin1String("h265")),
                     rtsp.arg(QLatin1String("h264-aac")),
                     m_server.url(QStringLiteral("/media/record.flv")).toString(),
                     fileUrl(tenSecondClip()),
                     fileUrl(shortClip())};
        m_itemCount = sizeFromEnvironment("ZELKA_STRESS_ITEMS", 48);
        m_rounds = sizeFromEnvironment("ZELKA_STRESS_ROUNDS", 6);
        m_anchors = std::make_unique<Scene>(QSize(3 * 40, 30));
        QList<VideoItem *> anchors;
        for (int index = 0; index < 3; ++index) {
            anchors << addTile(*m_anchors, index);
            anchors.last()->setVideoUrl(m_sources.at(index));
        }
        QVERIFY(waitFor([&] { return std::all_of(anchors.begin(), anchors.end(), [](VideoItem *item) {
                                  return item->receivedFrameCount() > 0; }); }, 30000));
    }

    void cleanupTestCase()
    {
        m_anchors.reset();
        QVERIFY(StreamCloser::instance().waitUntilIdle(kIdleBound));
    }

    // Rounds of switching while pictures arrive, with a little time between them (none
    // at all in some); then every item goes at once and the closes finish.
    void switchingSourcesInRounds()
    {
        auto scene = std::make_unique<Scene>(QSize(kColumns * 40, (m_itemCount / kColumns + 1) * 30));
        std::vector<VideoItem *> tiles;
        for (int index = 0; index < m_itemCount; ++index) {
            tiles.push_back(addTile(*scene, index));
            tiles.back()->setVideoUrl(anySource());
        }
        for (int round = 0; round < m_rounds; ++round) {
            QTest::qWait(int(m_random.bounded(600)));
            churn(*scene, tiles);
            if (round % 3 == 2)
                churn(*scene, tiles);
        }
        QTest::qWait(300);
        for (VideoItem *tile : tiles)
            dropTile(tile);
        QTest::qWait(100);
        QVERIFY(StreamCloser::instance().waitUntilIdle(kIdleBound));
    }

    // The window (with every item in it) goes in the middle of a round, while some items
    // open and others play; a source change of the round before is still closing.
    void windowClosedMidRound()
    {
        for (int round = 0; round < 3; ++round) {
            auto scene = std::make_unique<Scene>(QSize(kColumns * 40, (m_itemCount / kColumns + 1) * 30));
            std::vector<VideoItem *> tiles;
            for (int index = 0; index < m_itemCount; ++index) {
                tiles.push_back(addTile(*scene, index));
                tiles.back()->setVideoUrl(anySource());
            }
            QTest::qWait(200 + int(m_random.bounded(800)));
            tiles.resize(tiles.size() / 2);
            churn(*scene, tiles);
            scene->window()->close();
            scene.reset();
        }
        QVERIFY(StreamCloser::instance().waitUntilIdle(kIdleBound));
    }

    // A wall of snapshot cells whose model is replaced in rapid rounds: cells go while
    // their request is under way, while their picture decodes and once it is shown.
    void snapshotCellsReplacedInRounds()
    {
        Settings *settings = SettingManager::instance()->settings();
        settings->setHost(QStringLiteral("127.0.0.1"));
        settings->setPort(QString::number(m_server.httpPort()));
        Scene scene(QSize(kColumns * 40, 8 * 30));
        std::vector<VideoSnapItem *> cells;
        for (int round = 0; round < 4 * m_rounds; ++round) {
            for (VideoSnapItem *cell : cells) {
                if (m_random.bounded(2)) {
                    delete cell;
                } else {
                    cell->setParentItem(nullptr);
                    cell->deleteLater();
                }
            }
            cells.clear();
            for (int index = 0; index < 60; ++index) {
                auto *cell = new VideoSnapItem(scene.window()->contentItem());
                cell->setSize(kTileSize);
                cell->setPosition(QPointF((index % kColumns) * 40, (index / kColumns) * 30));
                cell->setSnapUrl(QStringLiteral("/snap/%1.%2").arg(index).arg(index % 2 ? "h265" : "h264"));
                cells.push_back(cell);
            }
            QTest::qWait(int(m_random.bounded(round % 4 == 3 ? 800 : 60)));
        }
        QVERIFY(waitFor([&] { return std::any_of(cells.begin(), cells.end(),
                                                 [](VideoSnapItem *cell) { return cell->snapValid(); }); }, 30000));
    }

    // The process ends while the closes of its last tiles are queued and under way: it
    // ends cleanly, every time.
    void processEndsWhileChannelsClose()
    {
        for (int run = 0; run < 4; ++run) {
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("ZELKA_STRESS_EXIT_SOURCES"), m_sources.join(QLatin1Char(' ')));
            environment.insert(QStringLiteral("ZELKA_STRESS_ITEMS"), QString::number(m_itemCount));
            child.setProcessEnvironment(environment);
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForStarted());
            // The test server answers from this thread: keep its loop running.
            QTRY_VERIFY_WITH_TIMEOUT(child.state() == QProcess::NotRunning, 60000);
            QCOMPARE(child.exitStatus(), QProcess::NormalExit);
            QCOMPARE(child.exitCode(), 0);
        }
    }
};

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("ZELKA_STRESS_EXIT_SOURCES"))
        return exitWhileClosing(argc, argv);
    QGuiApplication app(argc, argv);
    TestVideoStress test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_videostress.moc"
