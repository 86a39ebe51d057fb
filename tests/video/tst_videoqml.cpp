// Runs the video tst_*.qml files with the client's own type registrations and a
// generated clip offered to them as "testMediaUrl".
#include <QApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQuickTest/quicktest.h>

#include "clientstartup.h"
#include "qmlpatience.h"
#include "videotestkit.h"

class VideoQmlSetup : public QObject
{
    Q_OBJECT

public:
    QString mediaUrl;

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->rootContext()->setContextProperty(QStringLiteral("testMediaUrl"), mediaUrl);
        installTestPatience(*engine);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ClientStartup::createSingletons();
    ClientStartup::registerQmlTypes();
    VideoQmlSetup setup;
    setup.mediaUrl = VideoTestKit::fileUrl(VideoTestKit::shortClip());
    if (setup.mediaUrl.isEmpty())
        return 1;
    return quick_test_main_with_setup(argc, argv, "zelka_video_qml", ZELKA_VIDEO_QML_TEST_DIR, &setup);
}

#include "tst_videoqml.moc"
