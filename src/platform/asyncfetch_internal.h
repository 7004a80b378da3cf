// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/asyncfetch.h"

#include <curl/curl.h>

namespace vorin {

struct FetchEngine::Transfer {
    std::uint64_t id = 0;
    Request request;
    Done done;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    Result result;
    bool stoppedReading = false; // the body limit was reached, or the answer was no "200"
    int socketErrno = 0;         // why the last socket could not be opened; 0 when it could

    ~Transfer()
    {
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
};

// The request as a libcurl transfer, and its result read from it; any thread.
CURL* prepare(FetchEngine::Transfer& t);
void finish(FetchEngine::Transfer& t, CURLcode rc);

// The platform's part of a transfer: how its sockets are opened and closed (the reason a socket could not
// be opened is kept in socketErrno), and which system errors mean this machine ran short of sockets, ports
// or memory rather than that the proxy failed.
void watchSockets(CURL* easy, FetchEngine::Transfer& t);
bool shortOfResources(long osError);

} // namespace vorin
