// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/kdeproxy.h"

#include <gio/gio.h>

namespace vorin::kdeproxy {

void sessionBusNotify()
{
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return; // no session: no worker to tell
    g_dbus_connection_emit_signal(bus, nullptr, "/KIO/Scheduler", "org.kde.KIO.Scheduler",
                                  "reparseSlaveConfiguration", g_variant_new("(s)", ""), nullptr);
    g_dbus_connection_flush_sync(bus, nullptr, nullptr);
    g_object_unref(bus);
}

} // namespace vorin::kdeproxy
