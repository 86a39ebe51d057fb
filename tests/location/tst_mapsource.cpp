#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "clientstartup.h"
#include "geoserviceplugin.h"
#include "mapsource.h"
#include "tilestore.h"

namespace {

const QString kRoot = QStringLiteral("http://192.0.2.7:8088");

MapSource parse(const QByteArray &json, QStringList *problems)
{
    return MapSource::fromJson(json, problems);
}

QByteArray oneType(const QByteArray &style, const QByteArray &url)
{
    return "{\"mapTypes\": [{\"style\": \"" + style + "\", \"url\": \"" + url + "\"}]}";
}

void releaseDeferred()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

// The plugin's map source: what it offers, what it drops and why, and the plugin's part.
class TestMapSource : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { ClientStartup::registerQmlTypes(); }

    void readsTypesSizesAndAddresses()
    {
        QStringList problems;
        const MapSource source = parse("{\"tileSize\": 512, \"maximumZoomLevel\": 17, \"mapTypes\": ["
            "{\"style\": \"StreetMap\", \"name\": \"街道\", \"description\": \"roads\", \"url\": \"/tiles/street/{z}/{x}/{y}.png\"},"
            "{\"style\": \"SatelliteMapDay\", \"url\": \"https://tiles.example.org/sat/{z}/{y}/{x}.jpg?key=secret\"},"
            "{\"style\": \"HybridMap\", \"name\": \"offline\", \"url\": \"file:///srv/tiles/{z}/{x}/{y}.png\"},"
            "{\"style\": \"TerrainMap\", \"name\": \"beside\", \"url\": \"file:maps/{z}-{x}-{y}.png\"}]}",
                                       &problems);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        QCOMPARE(source.tileSize(), 512);
        QCOMPARE(source.maximumZoomLevel(), 17);
        QCOMPARE(source.layers().size(), 4);
        QCOMPARE(source.layers().at(0).style, GeoMapType::StreetMap);
        QCOMPARE(source.layers().at(0).name, QStringLiteral("街道"));
        QCOMPARE(source.layers().at(0).description, QStringLiteral("roads"));
        QCOMPARE(source.layers().at(1).style, GeoMapType::SatelliteMapDay);
        QCOMPARE(source.layers().at(1).name, QStringLiteral("SatelliteMapDay")); // no name: the style's
        QCOMPARE(source.layers().at(2).style, GeoMapType::HybridMap);

        // A server path is joined like the pages' server paths, without a separator.
        QCOMPARE(source.tileUrl(0, 3, 5, 2, kRoot), QUrl(QStringLiteral("http://192.0.2.7:8088/tiles/street/3/5/2.png")));
        QCOMPARE(source.tileUrl(1, 12, 3401, 1552, kRoot),
                 QUrl(QStringLiteral("https://tiles.example.org/sat/12/1552/3401.jpg?key=secret")));
        QCOMPARE(source.tileUrl(2, 0, 0, 0, kRoot), QUrl::fromLocalFile(QStringLiteral("/srv/tiles/0/0/0.png")));
        // A relative folder lies beside the executable.
        QCOMPARE(source.tileUrl(3, 4, 1, 2, kRoot),
                 QUrl::fromLocalFile(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("maps/4-1-2.png"))));
        QVERIFY(source.tileUrl(4, 0, 0, 0, kRoot).isEmpty());
        QVERIFY(source.tileUrl(-1, 0, 0, 0, kRoot).isEmpty());

        // The templates as the log names them: whole, with no key or user.
        QCOMPARE(source.loggableTemplate(0, kRoot), QStringLiteral("http://192.0.2.7:8088/tiles/street/{z}/{x}/{y}.png"));
        QCOMPARE(source.loggableTemplate(1, kRoot), QStringLiteral("https://tiles.example.org/sat/{z}/{y}/{x}.jpg?key=***"));
        QCOMPARE(source.loggableTemplate(2, kRoot), QStringLiteral("/srv/tiles/{z}/{x}/{y}.png"));
        const MapSource keyed = parse(oneType("HybridMap", "https://u:pw@t.example.com/a?style=6&x={x}&y={y}&z={z}&k=s#f"),
                                      &problems);
        QCOMPARE(keyed.loggableTemplate(0, kRoot), QStringLiteral("https://t.example.com/a?style=***&x={x}&y={y}&z={z}&k=***"));

        // Defaults when the source says nothing of sizes.
        const MapSource plain = parse(oneType("StreetMap", "/t/{z}/{x}/{y}"), &problems);
        QCOMPARE(plain.tileSize(), 256);
        QCOMPARE(plain.maximumZoomLevel(), 19);
        QVERIFY(problems.isEmpty());
    }

    void dropsWhatItCannotUse()
    {
        QStringList problems;
        const MapSource source = parse("{\"tileSize\": \"big\", \"maximumZoomLevel\": 31, \"mapTypes\": ["
            "{\"style\": \"MoonMap\", \"url\": \"/a/{z}/{x}/{y}\"},"
            "{\"style\": \"NoMap\", \"url\": \"/b/{z}/{x}/{y}\"},"
            "{\"style\": \"StreetMap\", \"url\": \"/c/{z}/{x}.png\"},"
            "{\"style\": \"StreetMap\", \"url\": \"/d/{x}/{y}\"},"
            "{\"style\": \"StreetMap\", \"url\": \"ftp://example.org/{z}/{x}/{y}\"},"
            "{\"style\": \"StreetMap\", \"url\": \"tiles/{z}/{x}/{y}\"},"
            "\"StreetMap\","
            "{\"url\": \"/e/{z}/{x}/{y}\"},"
            "{\"style\": \"CycleMap\", \"name\": \"kept\", \"url\": \"/f/{z}/{x}/{y}.png\"}]}",
                                       &problems);
        QCOMPARE(source.layers().size(), 1);
        QCOMPARE(source.layers().at(0).name, QStringLiteral("kept"));
        QCOMPARE(source.tileSize(), 256);
        QCOMPARE(source.maximumZoomLevel(), 19);
        const QString all = problems.join(QLatin1Char('\n'));
        QCOMPARE(problems.size(), 10);
        for (const char *expected : {"tileSize must be", "maximumZoomLevel must be", "map type 0 dropped: unknown style \"MoonMap\"",
                                     "map type 1 dropped: unknown style \"NoMap\"", "map type 2 dropped: its url lacks {y}",
                                     "map type 3 dropped: its url lacks {z}", "map type 4 dropped: its url is neither",
                                     "map type 5 dropped: its url is neither", "map type 6 dropped: not a JSON object",
                                     "map type 7 dropped: unknown style \"\""})
            QVERIFY2(all.contains(QLatin1String(expected)), qPrintable(all));
    }

    void brokenSourcesOfferNothing_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("why");
        QTest::newRow("empty") << QByteArray() << "the map source is empty";
        QTest::newRow("blank") << QByteArray(" \n\t") << "the map source is empty";
        QTest::newRow("not json") << QByteArray("tiles please") << "the map source is not JSON";
        QTest::newRow("cut short") << QByteArray("{\"mapTypes\": [") << "the map source is not JSON";
        QTest::newRow("array") << QByteArray("[]") << "the map source is not a JSON object";
        QTest::newRow("no types") << QByteArray("{\"tileSize\": 256}") << "the map source has no \"mapTypes\" array";
        QTest::newRow("types not a list") << QByteArray("{\"mapTypes\": {}}") << "the map source has no \"mapTypes\" array";
        QTest::newRow("none usable") << oneType("MoonMap", "/x/{z}/{x}/{y}") << "the map source offers no usable map type";
    }

    void brokenSourcesOfferNothing()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, why);
        QStringList problems;
        QVERIFY(parse(json, &problems).layers().isEmpty());
        QVERIFY2(problems.join(QLatin1Char('\n')).contains(why), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void pluginPublishesTypesAndLogsWhyNot()
    {
        GeoServicePlugin plugin;
        QSignalSpy published(&plugin, &GeoServicePlugin::mapTypesChanged);
        QTest::ignoreMessage(QtWarningMsg, "map.source: the map source is empty");
        plugin.setName(QStringLiteral("amap"));
        QVERIFY(plugin.mapTypes().isEmpty());

        auto *parameter = new GeoPluginParameter(&plugin);
        parameter->setName(QStringLiteral("map.source"));
        parameter->setValue(QString::fromUtf8("{\"maximumZoomLevel\": 15, \"mapTypes\": ["
            "{\"style\": \"StreetMap\", \"name\": \"roads\", \"description\": \"layer\", \"url\": \"/s/{z}/{x}/{y}\"},"
            "{\"style\": \"SatelliteMapDay\", \"name\": \"sky\", \"url\": \"/a/{z}/{x}/{y}\"}]}"));
        published.clear();
        plugin.addParameter(parameter);
        QCOMPARE(published.size(), 1);
        QCOMPARE(plugin.mapTypes().size(), 2);
        QCOMPARE(plugin.maximumZoomLevel(), 15);
        QPointer<GeoMapType> street = plugin.mapTypes().at(0);
        QCOMPARE(street->style(), GeoMapType::StreetMap);
        QCOMPARE(street->name(), QStringLiteral("roads"));
        QCOMPARE(street->description(), QStringLiteral("layer"));
        QCOMPARE(street->layer(), 0);
        QCOMPARE(plugin.mapTypes().at(1)->layer(), 1);

        // The same text again changes nothing (the tiles stay cached).
        parameter->setValue(parameter->value().toString() + QString());
        plugin.setName(QStringLiteral("amap"));
        QCOMPARE(published.size(), 1);

        // A broken text offers nothing; the old types are released once bindings let go.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^map.source: the map source is not JSON")));
        parameter->setValue(QStringLiteral("{oops"));
        QCOMPARE(published.size(), 2);
        QVERIFY(plugin.mapTypes().isEmpty());
        QVERIFY(street);
        releaseDeferred();
        QVERIFY(!street);

        // Another service name offers nothing either.
        parameter->setValue(QString::fromUtf8(oneType("StreetMap", "/s/{z}/{x}/{y}")));
        QCOMPARE(plugin.mapTypes().size(), 1);
        QTest::ignoreMessage(QtWarningMsg, "no geo service named \"osm\"; this client offers \"amap\"");
        plugin.setName(QStringLiteral("osm"));
        QVERIFY(plugin.mapTypes().isEmpty());

        // Losing the parameter empties the source.
        plugin.setName(QStringLiteral("amap"));
        QCOMPARE(plugin.mapTypes().size(), 1);
        QTest::ignoreMessage(QtWarningMsg, "map.source: the map source is empty");
        delete parameter;
        QVERIFY(plugin.mapTypes().isEmpty());
    }

    void qmlSeesPluginTypesAndStyles()
    {
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQml\n"
                          "import an.location 1.0\n"
                          "QtObject {\n"
                          "property Plugin plugin: Plugin {\n"
                          "name: \"amap\"\n"
                          "PluginParameter { name: \"unrelated\"; value: 1 }\n"
                          "PluginParameter { name: \"map.source\"; value: '{\"mapTypes\": [{\"style\": \"HybridMap\", \"url\": \"/h/{z}/{x}/{y}\"}]}' }\n"
                          "}\n"
                          "property var styles: [MapType.NoMap, MapType.StreetMap, MapType.SatelliteMapDay, MapType.SatelliteMapNight,\n"
                          "MapType.TerrainMap, MapType.HybridMap, MapType.CustomMap]\n"
                          "}\n",
                          QUrl());
        std::unique_ptr<QObject> object(component.create());
        QVERIFY2(object, qPrintable(component.errorString()));
        auto *plugin = object->property("plugin").value<GeoServicePlugin *>();
        QVERIFY(plugin);
        QCOMPARE(plugin->mapTypes().size(), 1);
        QCOMPARE(plugin->mapTypes().at(0)->style(), GeoMapType::HybridMap);
        QCOMPARE(object->property("styles").toList(), (QVariantList{0, 1, 2, 3, 4, 5, 100}));

        QTest::ignoreMessage(QtWarningMsg, "QQmlComponent: Component is not ready");
        QQmlComponent uncreatable(&engine);
        uncreatable.setData("import QtQml\nimport an.location 1.0\nMapType {}\n", QUrl());
        std::unique_ptr<QObject> none(uncreatable.create());
        QVERIFY(!none);
        QVERIFY2(uncreatable.errorString().contains(QStringLiteral("Can't created: MapType")),
                 qPrintable(uncreatable.errorString()));
    }
};

QTEST_MAIN(TestMapSource)
#include "tst_mapsource.moc"
