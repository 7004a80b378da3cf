// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "config/judge.h"
#include "platform/hostport.h"

#include <optional>
#include <string>
#include <vector>

// The command line of vorindaili-cli: a subcommand and its options. Pure text work; messages are UTF-8
// for the terminal.
namespace vorin::cli {

enum class Command {
    None,
    Harvest,
    Validate,
    Locate,
    Run,
    Proxy, // proxy set HOST:PORT | stop | show: the system proxy, as the window's buttons switch it
    Guard, // keeps the system proxy on a live proxy of a list until Ctrl-C or none is left
    Relay, // the local relay in front of a list's proxies, until Ctrl-C or none is left
};

enum class RelayRotate {
    Fastest,
    Connection,
    Host,
};

enum class ProxyAction {
    Show,
    Set,
    Stop,
};

enum class Format {
    Text,
    Html,
    Xml,
    Json,
};

struct Options {
    Command command = Command::None;
    bool help = false;
    std::optional<std::string> groups; // the source option string, "100" style
    std::optional<std::string> in;     // a list to import; "-" reads standard input
    std::optional<std::string> out;    // the result file; standard output when unset
    Format format = Format::Text;
    int concurrency = 0;                // checks in flight in the fast mode; 0 keeps the window's pacing
    std::optional<std::string> proxy;   // host:port for the program's own downloads
    bool locate = false;                // run: look up locations after validating
    std::optional<std::string> sources; // a sources file whose pages the harvest adds
    std::optional<std::string>
        judge; // validate, run, guard: the judge page (echo rule unless a marker is given)
    std::optional<std::string> judges;    // validate, run, guard: a judges list file instead of the store's
    std::optional<std::string> marker;    // the judge's marker text (bytes as given)
    std::optional<int> markerBytes;       // how far into the body the marker may start and end
    std::optional<ProtocolSet> protocols; // validate, run: the protocols a bare entry is checked in
    bool offline = false;                 // locate, run --locate: the local databases instead of the site
    std::optional<std::string> geoip;     // with offline: a MaxMind-format city database
    ProxyAction proxyAction = ProxyAction::Show; // proxy: what to do
    ProxyEntry proxyTarget;                      // proxy set: [scheme://][user:password@]host:port
    int interval = 60;                           // guard: seconds between checks
    int listenPort = 8899;                       // relay: its port on 127.0.0.1 and [::1]
    RelayRotate rotate = RelayRotate::Fastest;   // relay: how upstreams take turns
    bool system = false;                         // relay: the system proxy points at it while it runs
    int floor = 5; // relay with --sources: fewer working upstreams than this start a refill from the sources
};

// Usage errors carry a one-line message naming the problem; the program exits with status 2.
struct Parsed {
    Options options;
    std::string error;
};

// args are the arguments after the program name.
Parsed parseArguments(const std::vector<std::string>& args);

// The judge the options name (meaningful when judge is set).
Judge judgeOf(const Options& options);

// The help text of a command (Command::None: the program's).
std::string helpText(Command command);

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

} // namespace vorin::cli
