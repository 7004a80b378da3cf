// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/desktopproxy.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <cstdlib>
#include <cstring>
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>
#include <sys/stat.h>

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

struct Handle {
    explicit Handle(const char* schema) : handle(open(schema)) {}
    ~Handle()
    {
        if (handle)
            g_object_unref(handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    GSettings* handle;
};

std::string stringOf(GSettings* settings, const char* key)
{
    gchar* value = g_settings_get_string(settings, key);
    std::string out = value ? value : "";
    g_free(value);
    return out;
}

void setHostPort(const char* schema, const std::string& host, int port)
{
    Handle s(schema);
    if (!s.handle)
        return;
    g_settings_set_string(s.handle, "host", host.c_str());
    g_settings_set_int(s.handle, "port", port);
}

bool set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Whether a session bus may be reached: dconf's service is on it.
bool sessionBus()
{
    if (set("DBUS_SESSION_BUS_ADDRESS") || set("DISPLAY")) // under X, D-Bus may be started on demand
        return true;
    struct stat st {};
    return set("XDG_RUNTIME_DIR") &&
           ::stat((std::string(std::getenv("XDG_RUNTIME_DIR")) + "/bus").c_str(), &st) == 0 &&
           S_ISSOCK(st.st_mode);
}

// Whether what is written is kept. A backend the user chose (GSETTINGS_BACKEND) is taken as it is. Of the
// default ones, the memory backend GLib falls back to keeps nothing, and dconf without a session bus keeps
// nothing and warns on every write: a console or a server without a desktop session.
bool keepsWrites()
{
    if (set("GSETTINGS_BACKEND"))
        return true;
    GSettingsBackend* backend = g_settings_backend_get_default();
    const char* type = G_OBJECT_TYPE_NAME(backend);
    const bool keeps = std::strcmp(type, "GMemorySettingsBackend") != 0 &&
                       std::strcmp(type, "GNullSettingsBackend") != 0 &&
                       (std::strstr(type, "DConf") == nullptr || sessionBus());
    g_object_unref(backend);
    return keeps;
}

} // namespace

bool available()
{
    Handle s(kSchema);
    return s.handle != nullptr && keepsWrites();
}

bool withoutSession()
{
    Handle s(kSchema);
    return s.handle != nullptr && !set("GSETTINGS_BACKEND") && !sessionBus();
}

std::optional<State> read()
{
    Handle proxy(kSchema);
    Handle http("org.gnome.system.proxy.http");
    if (!proxy.handle || !http.handle)
        return std::nullopt;
    State state;
    state.manual = stringOf(proxy.handle, "mode") == "manual";
    state.host = stringOf(http.handle, "host");
    state.port = g_settings_get_int(http.handle, "port");
    if (Handle socks("org.gnome.system.proxy.socks"); socks.handle) {
        state.socksHost = stringOf(socks.handle, "host");
        state.socksPort = g_settings_get_int(socks.handle, "port");
    }
    return state;
}

bool enable(const std::string& host, int port)
{
    Handle proxy(kSchema);
    if (!proxy.handle)
        return false;
    setHostPort("org.gnome.system.proxy.http", host, port);
    setHostPort("org.gnome.system.proxy.https", host, port);
    g_settings_set_string(proxy.handle, "mode", "manual");
    g_settings_sync();
    return true;
}

bool enableSocks(const std::string& host, int port)
{
    Handle proxy(kSchema);
    if (!proxy.handle)
        return false;
    setHostPort("org.gnome.system.proxy.http", "", 0);
    setHostPort("org.gnome.system.proxy.https", "", 0);
    setHostPort("org.gnome.system.proxy.socks", host, port);
    g_settings_set_string(proxy.handle, "mode", "manual");
    g_settings_sync();
    return true;
}

bool setSocks(const std::string& host, int port)
{
    Handle proxy(kSchema);
    if (!proxy.handle)
        return false;
    setHostPort("org.gnome.system.proxy.socks", host, port);
    g_settings_sync();
    return true;
}

bool authenticate(bool on, const std::string& user, const std::string& password)
{
    Handle http("org.gnome.system.proxy.http");
    if (!http.handle)
        return false;
    g_settings_set_string(http.handle, "authentication-user", user.c_str());
    g_settings_set_string(http.handle, "authentication-password", password.c_str());
    g_settings_set_boolean(http.handle, "use-authentication", on);
    g_settings_sync();
    return true;
}

bool authenticating()
{
    Handle http("org.gnome.system.proxy.http");
    return http.handle && g_settings_get_boolean(http.handle, "use-authentication");
}

bool disable()
{
    Handle proxy(kSchema);
    if (!proxy.handle)
        return false;
    g_settings_set_string(proxy.handle, "mode", "none");
    g_settings_sync();
    return true;
}

std::optional<Settings> save()
{
    Handle proxy(kSchema);
    Handle http("org.gnome.system.proxy.http");
    Handle https("org.gnome.system.proxy.https");
    Handle socks("org.gnome.system.proxy.socks");
    if (!proxy.handle || !http.handle || !https.handle || !socks.handle)
        return std::nullopt;
    Settings s{stringOf(proxy.handle, "mode"),
               stringOf(http.handle, "host"),
               g_settings_get_int(http.handle, "port"),
               stringOf(https.handle, "host"),
               g_settings_get_int(https.handle, "port"),
               std::nullopt,
               std::nullopt};
    s.socks = Settings::Socks{stringOf(socks.handle, "host"), g_settings_get_int(socks.handle, "port")};
    s.authentication = Settings::Authentication{
        g_settings_get_boolean(http.handle, "use-authentication") != FALSE,
        stringOf(http.handle, "authentication-user"), stringOf(http.handle, "authentication-password")};
    return s;
}

bool restore(const Settings& settings)
{
    if (settings.mode != "none" && settings.mode != "manual" && settings.mode != "auto")
        return false;
    for (int port : {settings.httpPort, settings.httpsPort, settings.socks ? settings.socks->port : 0}) {
        if (port < 0 || port > 65535)
            return false;
    }
    Handle proxy(kSchema);
    if (!proxy.handle)
        return false;
    setHostPort("org.gnome.system.proxy.http", settings.httpHost, settings.httpPort);
    setHostPort("org.gnome.system.proxy.https", settings.httpsHost, settings.httpsPort);
    if (settings.socks)
        setHostPort("org.gnome.system.proxy.socks", settings.socks->host, settings.socks->port);
    if (const auto& a = settings.authentication; a) {
        if (Handle http("org.gnome.system.proxy.http"); http.handle) {
            g_settings_set_string(http.handle, "authentication-user", a->user.c_str());
            g_settings_set_string(http.handle, "authentication-password", a->password.c_str());
            g_settings_set_boolean(http.handle, "use-authentication", a->on);
        }
    }
    g_settings_set_string(proxy.handle, "mode", settings.mode.c_str());
    g_settings_sync();
    return true;
}

void announceInternetSettings() {}

} // namespace vorin::desktopproxy
