// Runs tst_*.qml files in an engine prepared exactly as the client prepares its own:
// widgets application first, native types, built-in style, root-context objects. Built
// twice: the client runner adds the in-process test server and its helpers
// (kit/clienttestkit.h) for tests of the client's windows.
#include <QApplication>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QStyleHints>
#include <QtCore/private/qabstractanimation_p.h>
#include <QtQuickTest/quicktest.h>

#include "clientstartup.h"
#include "fontfallback.h"
#include "qmlpatience.h"
#include "stylemanager.h"

#ifdef ZELKA_QML_CLIENT_KIT
#include "clienttestkit.h"
#endif

namespace {

const char *const kBuiltInStyleFile = ":/zelka/style/default.json";

} // namespace

class QmlTestSetup : public QObject
{
    Q_OBJECT

public:
    explicit QmlTestSetup(QObject *kit)
        : m_kit(kit)
    {
    }

public slots:
    void qmlEngineAvailable(QQmlEngine *engine)
    {
        ClientStartup::prepareEngine(*engine);
        installTestPatience(*engine);
#ifdef ZELKA_QML_CLIENT_KIT
        // Tests may import the interface module by its name.
        engine->addImportPath(QStringLiteral("qrc:/"));
        static_cast<ClientTestKit *>(m_kit)->install(*engine);
#endif
    }

private:
    QObject *m_kit;
};

int main(int argc, char **argv)
{
    QQuickStyle::setStyle(QStringLiteral("Universal"));
    QApplication app(argc, argv);
    // Animations advance one frame interval per tick, whatever the clock says: on a loaded
    // machine they take longer instead of jumping to their end, so the frames in between,
    // which the tests look at, are still drawn.
    QUnifiedTimer::instance(true)->setConsistentTiming(true);
    // Desktop platforms turn hover effects on; the offscreen one does not.
    QGuiApplication::styleHints()->setUseHoverEffects(true);
    FontFallback::install();
    ClientStartup::createSingletons();
    ClientStartup::registerQmlTypes();
    StyleManager::instance()->loadStyleFile(QString::fromLatin1(kBuiltInStyleFile));

#ifdef ZELKA_QML_CLIENT_KIT
    ClientTestKit kit;
    if (!kit.start()) {
        qCritical("test server: %s", qPrintable(kit.errorString()));
        return 1;
    }
    QmlTestSetup setup(&kit);
#else
    QmlTestSetup setup(nullptr);
#endif
    const int status = quick_test_main_with_setup(argc, argv, "zelka_qml", ZELKA_QML_TEST_DIR, &setup);
    ClientStartup::releaseDeferredDeletions();
    return status;
}

#include "qmltestrunner.moc"
