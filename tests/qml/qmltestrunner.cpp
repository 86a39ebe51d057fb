// Runs the tst_*.qml files in an engine prepared exactly as the client prepares its
// own: widgets application first, native types, built-in style, root-context objects.
#include <QApplication>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QStyleHints>
#include <QtQuickTest/quicktest.h>

#include "clientstartup.h"
#include "fontfallback.h"
#include "stylemanager.h"

namespace {

const char *const kBuiltInStyleFile = ":/zelka/style/default.json";

} // namespace

class QmlTestSetup : public QObject
{
    Q_OBJECT

public slots:
    void qmlEngineAvailable(QQmlEngine *engine) { ClientStartup::prepareEngine(*engine); }
};

int main(int argc, char **argv)
{
    QQuickStyle::setStyle(QStringLiteral("Universal"));
    QApplication app(argc, argv);
    // Desktop platforms turn hover effects on; the offscreen one does not.
    QGuiApplication::styleHints()->setUseHoverEffects(true);
    FontFallback::install();
    ClientStartup::createSingletons();
    ClientStartup::registerQmlTypes();
    StyleManager::instance()->loadStyleFile(QString::fromLatin1(kBuiltInStyleFile));

    QmlTestSetup setup;
    return quick_test_main_with_setup(argc, argv, "zelka_qml", ZELKA_QML_TEST_DIR, &setup);
}

#include "qmltestrunner.moc"
