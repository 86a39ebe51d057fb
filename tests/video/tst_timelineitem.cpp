// The record bar item: its scene-graph nodes and the pixels they give, on the software
// scene graph (offscreen) and, with ZELKA_EXPECT_GPU=1 under Xvfb, on OpenGL. The basic
// render loop keeps rendering on this thread, so the nodes can be read after a grab.
// Colours are checked in the pixels: Qt 6.4's OpenGL rectangle node does not report
// the colour it was given.
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSGRectangleNode>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "clientstartup.h"
#include "timelineitem.h"

namespace {

// Counts the paints and keeps the root the item hands to the scene graph.
class ObservedTimeLineItem : public TimeLineItem
{
public:
    int paints = 0;
    QSGNode *root = nullptr;

protected:
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *data) override
    {
        ++paints;
        root = TimeLineItem::updatePaintNode(oldNode, data);
        return root;
    }
};

QVariantMap entry(int start, int end)
{
    return {{QStringLiteral("startTime"), start}, {QStringLiteral("endTime"), end}, {QStringLiteral("name"), QStringLiteral("rec")}};
}

QList<QSGRectangleNode *> barsOf(QSGNode *root)
{
    QList<QSGRectangleNode *> bars;
    for (QSGNode *node = root ? root->firstChild() : nullptr; node; node = node->nextSibling())
        bars.append(static_cast<QSGRectangleNode *>(node));
    return bars;
}

QList<QRectF> rectsOf(QSGNode *root)
{
    QList<QRectF> rects;
    for (QSGRectangleNode *bar : barsOf(root))
        rects.append(bar->rect());
    return rects;
}

// Columns [from, to] of the row through the middle of the picture all have `colour`.
bool columnsAre(const QImage &image, int from, int to, const QColor &colour)
{
    for (int x = from; x <= to; ++x) {
        if (QColor(image.pixel(x, image.height() / 2)).rgb() != colour.rgb())
            return false;
    }
    return true;
}

class Scene
{
public:
    Scene()
    {
        window.setColor(Qt::black);
        window.resize(200, 40);
        item = new ObservedTimeLineItem;
        item->setParent(window.contentItem());
        item->setParentItem(window.contentItem());
        item->setSize(QSizeF(200, 20));
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("time line test window was not exposed");
    }

    // Renders one frame now; the item is painted only when something of it changed.
    QImage grab() { return window.grabWindow().copy(0, 0, 200, 20); }

    QQuickWindow window;
    ObservedTimeLineItem *item = nullptr;
};

} // namespace

class TestTimeLineItem : public QObject
{
    Q_OBJECT

private slots:
    void rendersOnTheExpectedPath()
    {
        Scene scene;
        const bool software = scene.window.rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
        QCOMPARE(!software, qEnvironmentVariableIntValue("ZELKA_EXPECT_GPU") == 1);
    }

    void emptyListAndTransparentBarsDrawNothing()
    {
        Scene scene;
        scene.item->setSpacing(1.0);
        scene.item->setItemColor(Qt::red);
        QImage picture = scene.grab();
        QVERIFY(scene.item->root);
        QCOMPARE(scene.item->root->childCount(), 0);
        QVERIFY(columnsAre(picture, 0, 199, Qt::black));

        // The default colour builds the bars but shows none of them.
        Scene transparent;
        transparent.item->setSpacing(1.0);
        transparent.item->setItemList({entry(10, 50)});
        picture = transparent.grab();
        QCOMPARE(rectsOf(transparent.item->root), QList<QRectF>{QRectF(10, 0, 40, 20)});
        QVERIFY(columnsAre(picture, 0, 199, Qt::black));
    }

    void firstBuildKeepsFractionsRepaintsMoveBarsToWholePixels()
    {
        Scene scene;
        scene.item->setSpacing(0.5);
        scene.item->setItemColor(Qt::red);
        scene.item->setItemList({entry(61, 160)});
        QImage picture = scene.grab();
        QCOMPARE(rectsOf(scene.item->root), QList<QRectF>{QRectF(30.5, 0, 49.5, 20)});
        // The half-covered edge columns are the rasteriser's business.
        QVERIFY(columnsAre(picture, 31, 79, Qt::red));
        QVERIFY(columnsAre(picture, 0, 29, Qt::black));
        QVERIFY(columnsAre(picture, 81, 199, Qt::black));
        QSGNode *const root = scene.item->root;
        QSGRectangleNode *const bar = barsOf(root).at(0);

        // A repaint of the same list moves and recolours the bar it has.
        scene.item->setItemColor(Qt::green);
        picture = scene.grab();
        QCOMPARE(scene.item->root, root);
        QCOMPARE(barsOf(root).at(0), bar);
        QCOMPARE(bar->rect(), QRectF(30, 0, 50, 20));
        QVERIFY(columnsAre(picture, 30, 79, Qt::green));
        QVERIFY(columnsAre(picture, 0, 29, Qt::black));
        QVERIFY(columnsAre(picture, 80, 199, Qt::black));

        // Zoom steps: both edges truncated, 15.25 -> 15 and 40 - 15.
        scene.item->setSpacing(0.25);
        picture = scene.grab();
        QCOMPARE(barsOf(root).at(0), bar);
        QCOMPARE(bar->rect(), QRectF(15, 0, 25, 20));
        QVERIFY(columnsAre(picture, 15, 39, Qt::green));
        QVERIFY(columnsAre(picture, 40, 199, Qt::black));
        scene.item->setSpacing(0.5);
        scene.grab();
        QCOMPARE(bar->rect(), QRectF(30, 0, 50, 20));

        // The bars span the item's height, also after it changed.
        scene.item->setHeight(12);
        scene.grab();
        QCOMPARE(bar->rect(), QRectF(30, 0, 50, 12));
    }

    void settersSignalAndRepaintOnlyOnChange()
    {
        Scene scene;
        const QVariantList list = {entry(0, 100), entry(120, 150)};
        scene.item->setItemList(list);
        scene.item->setSpacing(1.0);
        scene.item->setItemColor(Qt::red);
        scene.grab();
        QSignalSpy spacing(scene.item, &TimeLineItem::spacingChanged);
        QSignalSpy items(scene.item, &TimeLineItem::itemListChanged);
        QSignalSpy colour(scene.item, &TimeLineItem::itemColorChanged);
        int paints = scene.item->paints;

        // Equal values, the same list, and a copy built element by element.
        scene.item->setSpacing(1.0);
        scene.item->setItemColor(QColor(QStringLiteral("#ff0000")));
        scene.item->setItemList(list);
        scene.item->setItemList({entry(0, 100), entry(120, 150)});
        scene.grab();
        QCOMPARE(spacing.count() + items.count() + colour.count(), 0);
        QCOMPARE(scene.item->paints, paints);

        scene.item->setSpacing(0.5);
        QCOMPARE(spacing.count(), 1);
        QCOMPARE(scene.item->spacing(), 0.5);
        scene.grab();
        QCOMPARE(scene.item->paints, ++paints);

        scene.item->setItemList({entry(0, 100), entry(120, 151)}); // one value differs
        QCOMPARE(items.count(), 1);
        QCOMPARE(scene.item->itemList().at(1).toMap().value(QStringLiteral("endTime")).toInt(), 151);
        scene.grab();
        QCOMPARE(scene.item->paints, ++paints);
        QCOMPARE(rectsOf(scene.item->root).at(1), QRectF(60, 0, 15, 20));

        scene.item->setItemColor(Qt::blue);
        QCOMPARE(colour.count(), 1);
        const QImage picture = scene.grab();
        QCOMPARE(scene.item->paints, ++paints);
        QVERIFY(columnsAre(picture, 60, 74, Qt::blue));
        QCOMPARE(spacing.count() + items.count() + colour.count(), 3);
    }

    void missingKeysAndOtherValuesReadZero()
    {
        Scene scene;
        scene.item->setSpacing(2.0);
        const QVariantMap onlyEnd = {{QStringLiteral("endTime"), 50}};
        const QVariantMap onlyStart = {{QStringLiteral("startTime"), 10}};
        const QVariantMap otherCase = {{QStringLiteral("StartTime"), 10}, {QStringLiteral("endtime"), 20}};
        scene.item->setItemList({onlyEnd, onlyStart, otherCase, 5, QStringLiteral("08:00"), entry(30, 20)});
        scene.grab();
        const QList<QRectF> expected = {QRectF(0, 0, 100, 20), QRectF(20, 0, -20, 20), QRectF(0, 0, 0, 20),
                                        QRectF(0, 0, 0, 20), QRectF(0, 0, 0, 20), QRectF(60, 0, -20, 20)};
        QCOMPARE(rectsOf(scene.item->root), expected);
    }

    // A whole day squeezed into a narrow strip gives well under a pixel a minute: a
    // record of some length keeps one pixel, on the first build and on later repaints;
    // one of no length, or ending before its start, keeps its own width.
    void shortRecordsKeepAPixel()
    {
        Scene scene;
        scene.item->setSpacing(0.01);
        scene.item->setItemColor(Qt::red);
        scene.item->setItemList({entry(10000, 10030), entry(5000, 5000), entry(3000, 2000), entry(15000, 15150)});
        QImage picture = scene.grab();
        QCOMPARE(rectsOf(scene.item->root),
                 (QList<QRectF>{QRectF(100, 0, 1, 20), QRectF(50, 0, 0, 20), QRectF(30, 0, -10, 20), QRectF(150, 0, 1.5, 20)}));
        QVERIFY(columnsAre(picture, 100, 100, Qt::red));
        QVERIFY(columnsAre(picture, 101, 149, Qt::black));

        scene.item->setSpacing(0.0101);
        picture = scene.grab();
        QCOMPARE(rectsOf(scene.item->root),
                 (QList<QRectF>{QRectF(101, 0, 1, 20), QRectF(50, 0, 0, 20), QRectF(30, 0, -9, 20), QRectF(151, 0, 2, 20)}));
        QVERIFY(columnsAre(picture, 101, 101, Qt::red));
        QVERIFY(columnsAre(picture, 151, 152, Qt::red));
        QVERIFY(columnsAre(picture, 102, 150, Qt::black));
    }

    void aListOfAnotherLengthRebuilds()
    {
        Scene scene;
        scene.item->setSpacing(0.5);
        scene.item->setItemColor(Qt::red);
        scene.item->setItemList({entry(61, 160)});
        scene.grab();
        QSGNode *const root = scene.item->root;

        scene.item->setItemList({entry(1, 3), entry(61, 160), entry(201, 240)});
        QImage picture = scene.grab();
        QCOMPARE(rectsOf(scene.item->root), (QList<QRectF>{QRectF(0.5, 0, 1, 20), QRectF(30.5, 0, 49.5, 20), QRectF(100.5, 0, 19.5, 20)}));
        QVERIFY(columnsAre(picture, 101, 119, Qt::red));
        QVERIFY(columnsAre(picture, 121, 199, Qt::black));

        scene.item->setItemList({});
        picture = scene.grab();
        QCOMPARE(scene.item->root->childCount(), 0);
        QVERIFY(columnsAre(picture, 0, 199, Qt::black));

        scene.item->setItemList({entry(61, 160), entry(0, 2)});
        scene.grab();
        QCOMPARE(scene.item->root, root); // rebuilt inside the same root
        QCOMPARE(rectsOf(root), (QList<QRectF>{QRectF(30.5, 0, 49.5, 20), QRectF(0, 0, 1, 20)}));
    }

    // As the time line makes it: registered by the client's start-up code, fed a
    // JavaScript array of objects; the same array assigned again changes nothing.
    void qmlGivesEntriesAsMaps()
    {
        ClientStartup::registerQmlTypes();
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport an.item 1.0\n"
                          "TimeLineItem {\n"
                          "    width: 200; height: 20; spacing: 0.5; itemColor: 'red'\n"
                          "    itemList: [{startTime: 61, endTime: 160, name: 'a'}]\n"
                          "    function assignAgain() { itemList = [{startTime: 61, endTime: 160, name: 'a'}] }\n"
                          "}\n",
                          QUrl());
        std::unique_ptr<QObject> object(component.create());
        auto *item = qobject_cast<TimeLineItem *>(object.get());
        QVERIFY2(item, qPrintable(component.errorString()));
        QCOMPARE(item->itemList().at(0).toMap().value(QStringLiteral("startTime")).toInt(), 61);

        QQuickWindow window;
        window.resize(200, 40);
        window.setColor(Qt::black);
        item->setParentItem(window.contentItem());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QImage picture = window.grabWindow();
        QVERIFY(columnsAre(picture.copy(0, 0, 200, 20), 31, 79, Qt::red));
        QVERIFY(columnsAre(picture.copy(0, 0, 200, 20), 81, 199, Qt::black));

        QSignalSpy items(item, &TimeLineItem::itemListChanged);
        QVERIFY(QMetaObject::invokeMethod(item, "assignAgain"));
        QCOMPARE(items.count(), 0);
        item->setParentItem(nullptr);
    }
};

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QSG_RENDER_LOOP"))
        qputenv("QSG_RENDER_LOOP", "basic");
    QGuiApplication app(argc, argv);
    TestTimeLineItem test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_timelineitem.moc"
