// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/X11Move.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace platform::x11 {

namespace {
template <typename Reply> auto own(Reply* reply)
{
    return std::unique_ptr<Reply, decltype(&std::free)>(reply, &std::free);
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const auto reply = own(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Whether the window manager running now lists `wanted` among what it supports.
bool supported(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t wanted)
{
    const auto reply = own(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, root, atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0,
                         4096),
        nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
    return std::find(atoms, atoms + count, wanted) != atoms + count;
}
} // namespace

bool startMove(QWindow* window, QPoint grabbed)
{
    // Other platforms may offer the X11 interface too (offscreen does, without a server).
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!window || QGuiApplication::platformName() != u"xcb" || !x11 || !x11->connection())
        return false;
    xcb_connection_t* connection = x11->connection();
    const auto id = xcb_window_t(window->winId());
    // The server's state, not the events read so far: a release may be queued already.
    const auto pointer =
        own(xcb_query_pointer_reply(connection, xcb_query_pointer(connection, id), nullptr));
    if (!pointer || !(pointer->mask & XCB_BUTTON_MASK_1))
        return false;
    const xcb_atom_t moveResize = atom(connection, "_NET_WM_MOVERESIZE");
    if (moveResize == XCB_ATOM_NONE || !supported(connection, pointer->root, moveResize))
        return false;
    // The grabbed point on the root window, in X's own pixels: the window's corner there
    // is where the pointer is less where it is in the window.
    const QPoint native = grabbed * window->devicePixelRatio();
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = moveResize;
    message.data.data32[0] = uint32_t(pointer->root_x - pointer->win_x + native.x());
    message.data.data32[1] = uint32_t(pointer->root_y - pointer->win_y + native.y());
    message.data.data32[2] = 8; // _NET_WM_MOVERESIZE_MOVE
    message.data.data32[3] = XCB_BUTTON_INDEX_1;
    message.data.data32[4] = 1; // asked for by an application
    // The window manager can take the pointer only once this client lets it go.
    xcb_ungrab_pointer(connection, XCB_CURRENT_TIME);
    xcb_send_event(connection, 0, pointer->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
    return true;
}

} // namespace platform::x11
