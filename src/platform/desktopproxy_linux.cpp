// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/desktopproxy.h"

#include <gio/gio.h>

namespace vorin::desktopproxy {
namespace {

constexpr const char* kSchema = "org.gnome.system.proxy";

// The settings object, or null when the schema is not installed (asking GSettings for an unknown schema
// would abort the program, so the schema source is consulted first).
GSettings* open(const char* schema)
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return nullptr;
    GSettingsSchema* found = g_settings_schema_source_lookup(source, schema, TRUE);
    if (!found)
        return nullptr;
    g_settings_schema_unref(found);
    return g_settings_new(schema);
}

struct Settings {
    explicit Settings(const char* schema) : handle(open(schema)) {}
    ~Settings()
    {
        if (handle)
            g_object_unref(handle);
    }
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;
    GSettings* handle;
};

void setHostPort(const char* schema, const std::string& host, int port)
{
    Settings s(schema);
    if (!s.handle)
        return;
    g_settings_set_string(s.handle, "host", host.c_str());
    g_settings_set_int(s.handle, "port", port);
}

} // namespace

bool available()
{
    Settings s(kSchema);
    return s.handle != nullptr;
}

std::optional<State> read()
{
    Settings proxy(kSchema);
    Settings http("org.gnome.system.proxy.http");
    if (!proxy.handle || !http.handle)
        return std::nullopt;
    State state;
    gchar* mode = g_settings_get_string(proxy.handle, "mode");
    state.manual = mode && std::string(mode) == "manual";
    g_free(mode);
    gchar* host = g_settings_get_string(http.handle, "host");
    state.host = host ? host : "";
    g_free(host);
    state.port = g_settings_get_int(http.handle, "port");
    return state;
}

bool enable(const std::string& host, int port)
{
    Settings proxy(kSchema);
    if (!proxy.handle)
        return false;
    setHostPort("org.gnome.system.proxy.http", host, port);
    setHostPort("org.gnome.system.proxy.https", host, port);
    g_settings_set_string(proxy.handle, "mode", "manual");
    g_settings_sync();
    return true;
}

bool disable()
{
    Settings proxy(kSchema);
    if (!proxy.handle)
        return false;
    g_settings_set_string(proxy.handle, "mode", "none");
    g_settings_sync();
    return true;
}

} // namespace vorin::desktopproxy
