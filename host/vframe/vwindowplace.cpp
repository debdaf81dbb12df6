#include "vwindowplace.h"

#include "vframelog.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#ifdef TARN_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace {

#ifdef TARN_HAVE_XCB
// A compositing manager owns the selection _NET_WM_CM_S<screen> (EWMH).
bool x11CompositorRunning()
{
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        qCWarning(lcFrame) << "no connection to the X server to look for a compositing manager";
        return false;
    }
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.constData()), nullptr);
    bool owned = false;
    if (atom && atom->atom != XCB_ATOM_NONE) {
        xcb_get_selection_owner_reply_t *owner
            = xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        owned = owner && owner->owner != XCB_WINDOW_NONE;
        std::free(owner);
    }
    std::free(atom);
    xcb_disconnect(connection);
    return owned;
}
#endif

QPoint centredOver(const QSize &size, const QWidget *anchor)
{
    const bool onScreen = anchor && anchor->isVisible();
    QScreen *screen = onScreen ? anchor->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    QRect window(QPoint(), size);
    window.moveCenter(onScreen ? QRect(anchor->mapToGlobal(QPoint()), anchor->size()).center() : available.center());
    if (available.isValid()) {
        window.moveRight(qMin(window.right(), available.right()));
        window.moveBottom(qMin(window.bottom(), available.bottom()));
        window.moveLeft(qMax(window.left(), available.left()));
        window.moveTop(qMax(window.top(), available.top()));
    }
    return window.topLeft();
}

bool detectCompositing()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
#ifdef TARN_HAVE_XCB
        return x11CompositorRunning();
#else
        return false;
#endif
    }
    for (const char *composited : {"wayland", "windows", "cocoa", "offscreen"}) {
        if (platform.startsWith(QLatin1String(composited)))
            return true;
    }
    return false;
}

} // namespace

namespace vf {

void placeOver(QWidget *window, const QWidget *anchor)
{
    if (!window->isWindow() || window->testAttribute(Qt::WA_Moved))
        return;
    window->move(centredOver(window->size(), anchor));
}

bool windowSystemComposites()
{
    static const bool composites = [] {
        const bool found = detectCompositing();
        qCInfo(lcFrame) << "platform" << QGuiApplication::platformName()
                         << (found ? "composites translucent windows" : "does not composite: dialogs get no shadow");
        return found;
    }();
    return composites;
}

} // namespace vf
