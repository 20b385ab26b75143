#pragma once

#include <xcb/xcb.h>

// Qt's own connection to the X server. None without an application, and none where the
// platform is not xcb: others may offer an X11 interface of their own (offscreen does).
xcb_connection_t* qtX11Connection();
