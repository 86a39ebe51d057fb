#include "workarea.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <qpa/qplatformscreen.h>

#include <optional>

#include "x11connection.h"
#include "x11panels.h"

class WorkAreaPrivate
{
public:
    // In the desk's device pixels; empty while the window manager names none.
    std::optional<QRect> area;
    // The panels that the work area leaves out, where they lie.
    QList<X11Panel> panels;
    // Several property changes (the work area, the desktop) come as one.
    QTimer reread;
#ifdef ZELKA_HAS_XCB
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t workArea = XCB_ATOM_NONE;
    xcb_atom_t currentDesktop = XCB_ATOM_NONE;
#endif
};

WorkArea *WorkArea::instance()
{
    static QPointer<WorkArea> one;
    if (!one)
        one = new WorkArea(QCoreApplication::instance());
    return one;
}

WorkArea::WorkArea(QObject *parent)
    : QObject(parent)
    , d(new WorkAreaPrivate)
{
    d->reread.setSingleShot(true);
    d->reread.setInterval(0);
    connect(&d->reread, &QTimer::timeout, this, [this] {
        const std::optional<QRect> before = d->area;
        const QList<X11Panel> panelsBefore = d->panels;
        read();
        if (d->area != before || d->panels != panelsBefore)
            emit changed();
    });
#ifdef ZELKA_HAS_XCB
    d->connection = X11::connection();
    if (!d->connection)
        return;
    d->root = X11::rootWindow(d->connection);
    d->workArea = X11::atom(d->connection, "_NET_WORKAREA");
    d->currentDesktop = X11::atom(d->connection, "_NET_CURRENT_DESKTOP");
    // Qt's platform watches the root window's properties already.
    if (QCoreApplication *application = QCoreApplication::instance())
        application->installNativeEventFilter(this);
    read();
#endif
}

WorkArea::~WorkArea()
{
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
}

QRect WorkArea::availableGeometry(QScreen *screen) const
{
    if (!screen)
        return {};
    if (!d->area || screen->virtualSiblings().size() < 2 || !screen->handle())
        return screen->availableGeometry();
    const QRect native = screen->handle()->geometry();
    // The work area is one rectangle for the whole desk: a task bar along the bottom of a
    // lower monitor cuts a taller one beside it as well. Where the panels' own places are
    // known, each monitor leaves out only those lying on it.
    const QRect inside = d->panels.isEmpty() ? native & *d->area : X11Panels::freeArea(native, d->panels);
    // A work area that misses the monitor says nothing of it.
    if (inside.isEmpty())
        return screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    const QPoint origin = screen->geometry().topLeft();
    return QRect(origin + (inside.topLeft() - native.topLeft()) / ratio, inside.size() / ratio);
}

bool WorkArea::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
#ifdef ZELKA_HAS_XCB
    if (eventType != QByteArrayLiteral("xcb_generic_event_t"))
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *change = reinterpret_cast<const xcb_property_notify_event_t *>(event);
    if (change->window == d->root && (change->atom == d->workArea || change->atom == d->currentDesktop))
        d->reread.start();
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

// Four items (x, y, width, height) for each desktop.
void WorkArea::read()
{
    d->area.reset();
    d->panels.clear();
#ifdef ZELKA_HAS_XCB
    if (!d->connection)
        return;
    const std::vector<uint32_t> areas = X11::property32(d->connection, d->root, d->workArea, XCB_ATOM_CARDINAL);
    const std::vector<uint32_t> desktop =
        X11::property32(d->connection, d->root, d->currentDesktop, XCB_ATOM_CARDINAL);
    size_t first = desktop.empty() ? 0 : size_t(desktop.front()) * 4;
    if (first + 4 > areas.size())
        first = 0;
    if (areas.size() < 4)
        return;
    const QRect area(int(areas[first]), int(areas[first + 1]), int(areas[first + 2]), int(areas[first + 3]));
    if (area.isEmpty())
        return;
    d->area = area;
    // A window manager names a new work area whenever a panel comes, goes or moves.
    d->panels = X11Panels::read();
#endif
}
