// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/hostport.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

// Download-to-file: the blocking fetch every harvest worker, the discovery and the location lookup use.
namespace vorin::download {

enum class Result {
    Ok,
    Failed,    // no connection, an HTTP status of 400 or more, a cut-off transfer, a time-out, a bad URL
    Cancelled, // the cancel flag was raised
    FileError, // the page arrived but could not be stored
};

struct Limits {
    std::chrono::milliseconds connect{15000}; // to establish the connection
    std::chrono::milliseconds total{60000};   // for the whole transfer, redirects included
    std::uint64_t maxBytes = 64u << 20;       // a larger page is refused rather than held in memory
};

// Fetches url (http or https, redirects followed, a browser's agent) into file. Success means a complete
// transfer with a status below 400; the page is written beside file and renamed into place, so a failure
// leaves no file and no partial page behind (an older file of that name stays). Goes through the process
// proxy (processProxy()), direct when it is empty. cancel, when given, aborts the transfer soon after it
// is raised. Blocks; any thread.
Result toFile(const std::string& url, const std::filesystem::path& file,
              const std::atomic<bool>* cancel = nullptr);

// The limits every later call uses. Tests shorten them.
void setLimits(const Limits& limits);
Limits limits();

// The proxy the program's own fetches go through, in its protocol and with its credentials; none means
// direct. Set at start-up from the system proxy and whenever the user switches it. Any thread.
void setProcessProxy(const ProxyEntry& proxy);
// The same for an HTTP proxy given as host:port ("" for none).
void setProcessProxy(const std::string& hostPort);
// Its host:port, "" for none.
std::string processProxy();

// The agent sent with every fetch.
const char* userAgent();

} // namespace vorin::download
