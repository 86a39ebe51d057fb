#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <thread>

#include "eventwait.h"
#include "previewprovider.h"
#include "videopreviewer.h"

namespace {

QImage solid(QColor colour, int width = 8, int height = 6)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

} // namespace

class TestVideoPreviewer : public QObject
{
    Q_OBJECT

private slots:
    void storesOnlyForRegisteredIds()
    {
        VideoPreviewer store;
        QSignalSpy updated(&store, &VideoPreviewer::updateVideoPreview);
        store.update(QStringLiteral("a"), solid(Qt::red));
        QCOMPARE(updated.count(), 0);
        QVERIFY(store.getPreview(QStringLiteral("a")).isNull());

        store.previewVideo(QStringLiteral("a"));
        QVERIFY(store.getPreview(QStringLiteral("a")).isNull());
        store.update(QStringLiteral("a"), solid(Qt::red));
        QCOMPARE(updated.count(), 1);
        QCOMPARE(updated.at(0).at(0).toString(), QStringLiteral("a"));
        QCOMPARE(store.getPreview(QStringLiteral("a")).pixelColor(0, 0), QColor(Qt::red));

        store.update(QStringLiteral("a"), QImage()); // a null picture keeps the last one
        QCOMPARE(updated.count(), 1);
        QCOMPARE(store.getPreview(QStringLiteral("a")).pixelColor(0, 0), QColor(Qt::red));

        store.previewVideo(QString());
        store.update(QString(), solid(Qt::blue));
        QCOMPARE(updated.count(), 1);
    }

    void providerKeysAndRemovedIds()
    {
        VideoPreviewer store;
        QScopedPointer<PreviewProvider> provider(store.previewProvider());
        store.previewVideo(QStringLiteral("abc"));
        store.update(QStringLiteral("abc"), solid(Qt::green, 40, 30));

        QSize size(-1, -1);
        QImage byId = provider->requestImage(QStringLiteral("abc"), &size, QSize(20, 10));
        QCOMPARE(byId.pixelColor(0, 0), QColor(Qt::green));
        QCOMPARE(size, QSize(20, 10)); // the requested size, as the engine asked
        QCOMPARE(provider->requestImage(QStringLiteral("abc###17"), nullptr, QSize()).size(), QSize(40, 30));
        size = QSize(3, 3);
        QVERIFY(provider->requestImage(QStringLiteral("###17"), &size, QSize(9, 9)).isNull());
        QCOMPARE(size, QSize(3, 3));

        // A removed item's picture goes with it: each stream a tile opens is an item of
        // its own, and what the store kept of closed ones would only add up.
        store.removePreviewVideo(QStringLiteral("abc"));
        QVERIFY(store.getPreview(QStringLiteral("abc")).isNull());
        QVERIFY(provider->requestImage(QStringLiteral("abc"), nullptr, QSize()).isNull());
    }

    void providerOutlivesAndPredeceasesTheStore()
    {
        QScopedPointer<PreviewProvider> provider;
        {
            VideoPreviewer store;
            provider.reset(store.previewProvider());
            store.previewVideo(QStringLiteral("x"));
            store.update(QStringLiteral("x"), solid(Qt::yellow));
        }
        QCOMPARE(provider->requestImage(QStringLiteral("x"), nullptr, QSize()).pixelColor(0, 0), QColor(Qt::yellow));
        VideoPreviewer store;
        delete store.previewProvider();
        store.previewVideo(QStringLiteral("y"));
        store.update(QStringLiteral("y"), solid(Qt::cyan));
        QCOMPARE(store.getPreview(QStringLiteral("y")).pixelColor(0, 0), QColor(Qt::cyan));
    }

    void updatesFromLibraryThreadsReachQmlImages()
    {
        VideoPreviewer store;
        QQmlEngine engine;
        engine.addImageProvider(QStringLiteral("VideoPreview"), store.previewProvider());
        store.previewVideo(QStringLiteral("tile-1"));
        QSignalSpy updated(&store, &VideoPreviewer::updateVideoPreview);

        // Several writers at once, as playback items do from their own threads.
        std::vector<std::thread> writers;
        for (int t = 0; t < 4; ++t)
            writers.emplace_back([&store, t]() {
                for (int i = 0; i < 50; ++i)
                    store.update(QStringLiteral("tile-1"), solid(QColor::fromHsv((t * 50 + i) % 360, 255, 255)));
            });
        for (std::thread &writer : writers)
            writer.join();
        QCOMPARE(updated.count(), 200);
        store.update(QStringLiteral("tile-1"), solid(QColor(10, 200, 30), 64, 48));

        QQmlComponent component(&engine);
        component.setData("import QtQuick\nImage { source: \"image://VideoPreview/tile-1###2\" }\n", QUrl());
        QScopedPointer<QObject> image(component.create());
        QVERIFY2(image, qPrintable(component.errorString()));
        QTRY_COMPARE_WITH_TIMEOUT(image->property("status").toInt(), 1, kEventWaitMs); // Image.Ready
        QCOMPARE(image->property("sourceSize").toSize(), QSize(64, 48));
    }
};

QTEST_MAIN(TestVideoPreviewer)
#include "tst_videopreviewer.moc"
