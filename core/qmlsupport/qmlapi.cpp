#include "qmlapi.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <QtMath>

#include <cmath>
#include <memory>

#include "propertyhelpers.h"

namespace {

constexpr int kClockIntervalMs = 1000;
const QString kClockFormat = QStringLiteral("yyyy年MM月dd日 hh:mm:ss");

// Only the toolkit's modifier bits survive from a key state.
constexpr int kModifierMask = ~0x01FFFFFF;

// Buttons pressed by synthetic events; lives across calls like a real mouse.
Qt::MouseButtons g_syntheticButtons;

// Two-digit years count from 1900 with the toolkit's parser on this Qt version.
QDateTime parseDateTime(const QString &text, const QString &format)
{
    return QDateTime::fromString(text, format);
}

QPoint windowOrigin(const QWindow *window)
{
    return window->mapToGlobal(QPoint(0, 0));
}

QPointF localPosition(const QWindow *window, const QPoint &globalPos)
{
    const QPoint local = globalPos - windowOrigin(window);
    if (local.isNull())
        return QPointF(window->width() / 2, window->height() / 2);
    return QPointF(local);
}

// Posts an event that is built only when it is delivered: Qt keeps the pointer's state
// on the device and updates it whenever an event is built, so a release built before its
// press is delivered would leave the press without its release. Dropped with the window.
template <typename BuildEvent>
void postBuiltOnDelivery(QWindow *window, BuildEvent build)
{
    QMetaObject::invokeMethod(
        window,
        [window, build] {
            std::unique_ptr<QEvent> event = build();
            QCoreApplication::sendEvent(window, event.get());
        },
        Qt::QueuedConnection);
}

void postMouse(QWindow *window, QEvent::Type type, const QPointF &local, const QPoint &globalPos,
               Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    const Qt::MouseButtons buttons = g_syntheticButtons;
    postBuiltOnDelivery(window, [=]() -> std::unique_ptr<QEvent> {
        return std::make_unique<QMouseEvent>(type, local, QPointF(globalPos), button, buttons, modifiers,
                                             QPointingDevice::primaryPointingDevice());
    });
}

void pressButton(QWindow *window, const QPointF &local, const QPoint &globalPos, Qt::MouseButton button,
                 Qt::KeyboardModifiers modifiers)
{
    g_syntheticButtons |= button;
    postMouse(window, QEvent::MouseButtonPress, local, globalPos, button, modifiers);
}

void releaseButton(QWindow *window, const QPointF &local, const QPoint &globalPos, Qt::MouseButton button,
                   Qt::KeyboardModifiers modifiers)
{
    g_syntheticButtons &= ~Qt::MouseButtons(button);
    postMouse(window, QEvent::MouseButtonRelease, local, globalPos, button, modifiers);
}

void postPointerEvent(QmlApi::MouseEvent event, QWindow *window, const QPointF &local, const QPoint &globalPos,
                      Qt::MouseButton button, Qt::KeyboardModifiers modifiers)
{
    switch (event) {
    case QmlApi::MousePresse:
        pressButton(window, local, globalPos, button, modifiers);
        break;
    case QmlApi::MouseClick:
        pressButton(window, local, globalPos, button, modifiers);
        releaseButton(window, local, globalPos, button, modifiers);
        break;
    case QmlApi::MouseRelease:
        releaseButton(window, local, globalPos, button, modifiers);
        break;
    case QmlApi::MouseMove:
        g_syntheticButtons |= button;
        postMouse(window, QEvent::MouseMove, local, globalPos, button, modifiers);
        break;
    case QmlApi::MouseDClick:
        g_syntheticButtons |= button;
        postMouse(window, QEvent::MouseButtonDblClick, local, globalPos, button, modifiers);
        break;
    case QmlApi::MouseEnter:
        // Qt Quick reads an enter event as QEnterEvent, so it must be one.
        g_syntheticButtons |= button;
        postBuiltOnDelivery(window, [=]() -> std::unique_ptr<QEvent> {
            return std::make_unique<QEnterEvent>(local, local, QPointF(globalPos),
                                                 QPointingDevice::primaryPointingDevice());
        });
        break;
    case QmlApi::MouseLeave:
        g_syntheticButtons |= button;
        postMouse(window, QEvent::Leave, local, globalPos, button, modifiers);
        break;
    case QmlApi::MouseWheel:
        break;
    }
}

} // namespace

class QmlApiPrivate
{
public:
    QString currentDateTime;
    QTimer clock;
    QElapsedTimer sinceMade;
};

QmlApi *QmlApi::instance()
{
    static QmlApi api;
    return &api;
}

QmlApi::QmlApi(QObject *parent)
    : QObject(parent)
    , d(new QmlApiPrivate)
{
    connect(&d->clock, &QTimer::timeout, this, &QmlApi::tick);
    d->clock.start(kClockIntervalMs);
    d->sinceMade.start();
}

QmlApi::~QmlApi() = default;

QString QmlApi::currentDateTime() const
{
    return d->currentDateTime;
}

void QmlApi::setCurrentDateTime(const QString &text)
{
    Zelka::assignIfChanged(this, d->currentDateTime, text, &QmlApi::currentDateTimeChanged);
}

QScreen *QmlApi::primaryScreen() const
{
    return QGuiApplication::primaryScreen();
}

qint64 QmlApi::steadyMSecs() const
{
    return d->sinceMade.elapsed();
}

qulonglong QmlApi::toMSecsSinceEpoch(const QString &dateTime, const QString &format) const
{
    return qulonglong(parseDateTime(dateTime, format).toMSecsSinceEpoch());
}

QString QmlApi::fromMSecsSinceEpochToString(qlonglong msecs, const QString &format) const
{
    return QDateTime::fromMSecsSinceEpoch(msecs).toString(format);
}

QString QmlApi::convertDatetime(const QString &dateTime, const QString &inFormat, const QString &outFormat) const
{
    return parseDateTime(dateTime, inFormat).toString(outFormat);
}

int QmlApi::getTimeSeconds(const QString &dateTime, const QString &format) const
{
    return QTime(0, 0).secsTo(parseDateTime(dateTime, format).time());
}

QDateTime QmlApi::addDateYear(const QDateTime &dateTime, int year) const
{
    return dateTime.addYears(year);
}

QDateTime QmlApi::addDateMonth(const QDateTime &dateTime, int month) const
{
    return dateTime.addMonths(month);
}

QString QmlApi::getCurrentDateTime(const QString &format) const
{
    return QLocale::system().toString(QDateTime::currentDateTime(), format);
}

QPoint QmlApi::getCursorPos() const
{
    return QCursor::pos();
}

QString QmlApi::getApplicationDir() const
{
    return QCoreApplication::applicationDirPath();
}

QStringList QmlApi::getAllFileNames(const QString &dir, const QStringList &filters) const
{
    return QDir(dir).entryList(filters, QDir::Files, QDir::Unsorted);
}

QStringList QmlApi::getAllFiles(const QString &dir, const QStringList &filters) const
{
    QStringList paths;
    const QStringList names = getAllFileNames(dir, filters);
    for (const QString &name : names)
        paths.append(dir + QLatin1Char('/') + name);
    return paths;
}

QString QmlApi::urlToLocalFile(const QUrl &url) const
{
    return url.toLocalFile();
}

double QmlApi::lineAngle(const QPointF &origin, const QPoint &point) const
{
    // Screen y grows downward; the angle counts counter-clockwise as on paper.
    const double degrees = qRadiansToDegrees(std::atan2(origin.y() - point.y(), point.x() - origin.x()));
    const double turned = degrees < 0 ? degrees + 360.0 : degrees + 0.0;
    return turned >= 360.0 ? 0.0 : turned;
}

QString QmlApi::readFileToString(const QString &filename) const
{
    QFile file(filename);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void QmlApi::setClipBoardText(const QString &text) const
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(text, QClipboard::Clipboard);
}

void QmlApi::handleMouseEvent(QmlApi::MouseEvent event, QWindow *window, int button, int stateKey,
                              const QPoint &globalPos)
{
    if (!window)
        return;
    const auto modifiers = Qt::KeyboardModifiers(stateKey & kModifierMask);
    postPointerEvent(event, window, localPosition(window, globalPos), globalPos, Qt::MouseButton(button), modifiers);
    QCoreApplication::processEvents();
}

void QmlApi::handleMouseWheel(QWindow *window, const QPointF &globalPos, const QPoint &pixelDelta,
                              const QPoint &angleDelta, int buttons, int stateKey, bool inverted)
{
    if (!window)
        return;
    const QPointF local = globalPos - QPointF(windowOrigin(window));
    postBuiltOnDelivery(window, [=]() -> std::unique_ptr<QEvent> {
        return std::make_unique<QWheelEvent>(local, globalPos, pixelDelta, angleDelta, Qt::MouseButtons(buttons),
                                             Qt::KeyboardModifiers(stateKey), Qt::NoScrollPhase, inverted,
                                             Qt::MouseEventNotSynthesized, QPointingDevice::primaryPointingDevice());
    });
    QCoreApplication::processEvents();
}

void QmlApi::exit_app()
{
}

void QmlApi::tick()
{
    setCurrentDateTime(QDateTime::currentDateTime().toString(kClockFormat));
}
