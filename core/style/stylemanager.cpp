#include "stylemanager.h"

#include <QDebug>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaEnum>
#include <QPointer>
#include <QScreen>

#include <algorithm>

#include "framelesswindow.h"
#include "interface.h"
#include "propertyhelpers.h"
#include "style.h"
#include "windowscreen.h"
#include "workarea.h"

class StyleManagerPrivate
{
public:
    ScreenProbe probe;
    Style *style = nullptr;
    Interface *interface = nullptr;
    StyleManager::StyleType styleType = StyleManager::Style_Default;
    StyleManager::StyleMode styleMode = StyleManager::ARMode;
    // The screen measured; null only while the desk has no screen.
    QPointer<QScreen> screen;
    // The last measurement of a screen: without any screen the layout stays as it was.
    mutable ScreenMeasurement lastMeasurement;
    QList<QMetaObject::Connection> screenFollowed;
    // The main window's screen, once a window is followed; it dies with its window.
    QPointer<WindowScreen> windowScreen;
    bool followsWindow = false;
    // The ratio last announced: a change of the screen that leaves it as it was must not
    // make every binding on it evaluate again.
    double announcedRatio = 0.0;
};

namespace {

struct ClassThreshold
{
    int width;
    int height;
    StyleManager::StyleType type;
};

// First match wins; a screen wide enough but not tall enough falls through.
constexpr ClassThreshold kClassThresholds[] = {
    {7680, 4320, StyleManager::Style_8k},
    {3656, 2160, StyleManager::Style_4k},
    {2560, 1440, StyleManager::Style_2k},
    {1920, 1080, StyleManager::Style_1080P},
    {1280, 720, StyleManager::Style_720P},
};

bool isKnownStyleType(int type)
{
    return type >= StyleManager::Style_Default && type <= StyleManager::Style_8k;
}

QByteArray withoutByteOrderMark(QByteArray content)
{
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);
    return content;
}

// A value that is not a string enters the table as an empty text.
QHash<QString, QString> textTable(const QJsonObject &object)
{
    QHash<QString, QString> table;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
        table.insert(it.key(), it.value().toString());
    return table;
}

} // namespace

StyleManager *StyleManager::instance()
{
    static StyleManager manager(screenProbe(), Interface::defaultFilePath());
    return &manager;
}

StyleManager::StyleManager(ScreenProbe probe, const QString &uiConfigPath, QObject *parent)
    : QObject(parent)
    , d(new StyleManagerPrivate)
{
    d->probe = std::move(probe);
    d->style = new Style(this);
    d->interface = new Interface(uiConfigPath, this);
    followScreen(QGuiApplication::primaryScreen());
    calcResolution();
    // A new primary screen decides the class from then on, until a window is followed.
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this](QScreen *primary) {
        if (d->followsWindow)
            return;
        followScreen(primary);
        calcResolution();
    });
    // A panel that comes, goes or grows on a desk of several monitors changes the room the
    // main window has there too.
    connect(WorkArea::instance(), &WorkArea::changed, this, &StyleManager::announceRatiosIfChanged);
}

StyleManager::~StyleManager()
{
    // The window may outlive this object: its screen must not ask it for sizes then.
    if (d->windowScreen)
        d->windowScreen->setSizeOnScreen({});
}

StyleManager::StyleType StyleManager::classify(const QSize &pixelSize)
{
    for (const ClassThreshold &row : kClassThresholds) {
        if (pixelSize.width() >= row.width && pixelSize.height() >= row.height)
            return row.type;
    }
    return Style_Default;
}

double StyleManager::classFactor(int styleType)
{
    switch (styleType) {
    case Style_8k:
        return 2.8;
    case Style_4k:
        return 1.4;
    case Style_2k:
        return 1.05;
    case Style_720P:
        return 0.8;
    default:
        return 1.0;
    }
}

double StyleManager::scaleRatioFor(int styleType, qreal logicalDpi)
{
    const double base = ((logicalDpi / 96.0) - 1.0) * 0.5 + 1.0;
    return base * classFactor(styleType);
}

double StyleManager::ratioFittingArea(double ratio, const QSize &available)
{
    if (available.isEmpty())
        return ratio;
    const QSize design = mainWindowDesignSize();
    return std::min({ratio, double(available.width()) / design.width(), double(available.height()) / design.height()});
}

StyleManager::StyleType StyleManager::classifyScreen(const ScreenMeasurement &screen)
{
    return classify(logicalSize(screen));
}

QSize StyleManager::logicalSize(const ScreenMeasurement &screen)
{
    // The toolkit enlarges every logical pixel by the ratio once more: a scaled screen
    // must look like an unscaled one of its logical size, not be scaled twice.
    const qreal ratio = screen.devicePixelRatio > 0 ? screen.devicePixelRatio : 1.0;
    return QSize(qRound(screen.pixelSize.width() / ratio), qRound(screen.pixelSize.height() / ratio));
}

Style *StyleManager::style() const
{
    return d->style;
}

Interface *StyleManager::interface() const
{
    return d->interface;
}

StyleManager::StyleType StyleManager::styleType() const
{
    return d->styleType;
}

// Written by hand, the ratios are announced even when the class stays.
void StyleManager::setStyleType(StyleType type)
{
    storeStyleType(type);
    announceRatios();
}

void StyleManager::storeStyleType(StyleType type)
{
    if (type == d->styleType)
        return;
    qDebug() << "setStyleType" << QMetaEnum::fromType<StyleType>().valueToKey(type);
    d->styleType = type;
    emit styleTypeChanged();
}

double StyleManager::scaleRatio() const
{
    // Below the design size the pages shrink with the window instead of overlapping in it.
    const ScreenMeasurement screen = measure(false);
    return ratioFittingArea(scaleRatioFor(d->styleType, screen.logicalDpi), screen.availableSize);
}

QSize StyleManager::mainWindowSize() const
{
    return mainWindowSizeAt(scaleRatio());
}

QSize StyleManager::mainWindowSizeOn(QScreen *screen) const
{
    return mainWindowSizeAt(scaleRatioOn(screen));
}

double StyleManager::scaleRatioOn(QScreen *screen) const
{
    if (!screen || screen == d->screen)
        return scaleRatio();
    const ScreenMeasurement measured = d->probe(screen, true);
    return ratioFittingArea(scaleRatioFor(classifyScreen(measured), measured.logicalDpi), measured.availableSize);
}

QSize StyleManager::mainWindowSizeAt(double ratio)
{
    // Rounded: a ratio that fits the design into an area never rounds it past that area.
    return (QSizeF(mainWindowDesignSize()) * ratio).toSize();
}

ScreenMeasurement StyleManager::measure(bool withPixelSize) const
{
    if (d->screen)
        d->lastMeasurement = d->probe(d->screen, withPixelSize);
    return d->lastMeasurement;
}

double StyleManager::fontScaleRatio() const
{
    // Text keeps its proportion to the boxes it sits in, whatever the screen's ratio.
    return scaleRatio();
}

StyleManager::StyleMode StyleManager::styleMode() const
{
    return d->styleMode;
}

void StyleManager::setStyleMode(StyleMode mode)
{
    Zelka::assignIfChanged(this, d->styleMode, mode, &StyleManager::styleModeChanged);
}

void StyleManager::loadStyleFile(const QString &filename)
{
    d->style->clear();
    QFile file(filename);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "Don't open style file!";
        emit styleChanged();
        return;
    }
    const QJsonObject root = QJsonDocument::fromJson(withoutByteOrderMark(file.readAll())).object();
    const QHash<QString, QString> colors = textTable(root.value(QLatin1String("colors")).toObject());
    QHash<QString, QString> images;
    if (isKnownStyleType(d->styleType))
        images = textTable(root.value(QLatin1String("images")).toObject());
    d->style->setTables(colors, images);
    emit styleChanged();
}

QScreen *StyleManager::screen() const
{
    return d->screen;
}

void StyleManager::followWindow(FramelessWindow *window)
{
    WindowScreen *windowScreen = window ? window->windowScreen() : nullptr;
    if (!windowScreen || windowScreen == d->windowScreen)
        return;
    if (d->windowScreen) {
        d->windowScreen->disconnect(this);
        d->windowScreen->setSizeOnScreen({});
    }
    d->windowScreen = windowScreen;
    d->followsWindow = true;
    // Announced before the window's own area: the main window's size follows the ratio,
    // so the move to another screen resizes it once, for that screen.
    connect(windowScreen, &WindowScreen::screenChanged, this, &StyleManager::followWindowScreen);
    windowScreen->setSizeOnScreen([this](QScreen *screen) { return mainWindowSizeOn(screen); });
    followWindowScreen();
}

void StyleManager::followWindowScreen()
{
    QScreen *screen = d->windowScreen ? d->windowScreen->screen() : nullptr;
    if (!screen || screen == d->screen)
        return;
    followScreen(screen);
    calcResolution();
}

void StyleManager::calcResolution()
{
    // Without any screen nothing is measured: the class and the ratios stay.
    if (!d->screen)
        return;
    const ScreenMeasurement screen = measure(true);
    storeStyleType(classifyScreen(screen));
    qDebug() << "calcResolution" << QRect(QPoint(0, 0), screen.pixelSize) << screen.devicePixelRatio << scaleRatio()
             << fontScaleRatio();
    announceRatiosIfChanged();
}

void StyleManager::announceRatios()
{
    // Font sizes derive from the same measurement; announcing only one ratio would
    // leave bindings on the other stale.
    d->announcedRatio = scaleRatio();
    emit scaleRatioChanged();
    emit fontScaleRatioChanged();
}

void StyleManager::announceRatiosIfChanged()
{
    // The same ratio reached by another class and density may differ in its last bit.
    if (!qFuzzyCompare(scaleRatio(), d->announcedRatio))
        announceRatios();
}

void StyleManager::followScreen(QScreen *screen)
{
    for (const QMetaObject::Connection &connection : std::as_const(d->screenFollowed))
        disconnect(connection);
    d->screenFollowed.clear();
    d->screen = screen;
    if (!screen)
        return;
    d->screenFollowed = {
        connect(screen, &QScreen::geometryChanged, this,
                [this](const QRect &rect) {
                    qDebug() << "geometryChanged rect:" << rect;
                    calcResolution();
                }),
        // A panel that comes, goes or grows changes the room the main window has.
        connect(screen, &QScreen::availableGeometryChanged, this, &StyleManager::announceRatiosIfChanged),
        connect(screen, &QScreen::logicalDotsPerInchChanged, this, &StyleManager::announceRatiosIfChanged),
        // Gone with its monitor: the primary decides until the followed window picks again.
        connect(screen, &QObject::destroyed, this,
                [this] {
                    QMetaObject::invokeMethod(this, [this] {
                        if (d->screen)
                            return;
                        followScreen(QGuiApplication::primaryScreen());
                        calcResolution();
                    }, Qt::QueuedConnection);
                }),
    };
}
