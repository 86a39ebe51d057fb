// Runs the map's QML tests in an engine with the client's own type registrations and the
// local test server's tiles, reachable as "tileServer".
#include <QApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest/quicktest.h>

#include <cstdio>

#include "clientstartup.h"
#include "maptestkit.h"
#include "qmlpatience.h"

class LocationQmlSetup : public QObject
{
    Q_OBJECT

public:
    explicit LocationQmlSetup(TileServerProbe *probe)
        : m_probe(probe)
    {
    }

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->rootContext()->setContextProperty(QStringLiteral("tileServer"), m_probe);
        installTestPatience(*engine);
    }

private:
    TileServerProbe *m_probe;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ClientStartup::registerQmlTypes();
    TileServerProbe probe;
    QString error;
    if (!probe.start(&error)) {
        std::fprintf(stderr, "test server: %s\n", qPrintable(error));
        return 1;
    }
    LocationQmlSetup setup(&probe);
    return quick_test_main_with_setup(argc, argv, "zelka_location_qml", ZELKA_LOCATION_QML_TEST_DIR, &setup);
}

#include "tst_locationqml.moc"
