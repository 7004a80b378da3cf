// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "table/proxytable.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorin {

// What an echo judge said of the request it received: the two common shapes, told apart by the body.
// azenv: "NAME = value" lines (REMOTE_ADDR, HTTP_VIA, HTTP_X_FORWARDED_FOR, QUERY_STRING, ...), HTML tags
// around them ignored. httpbin: {"args": {...}, "headers": {...}, "origin": "..."}.
struct EchoAnswer {
    enum class Shape {
        None, // neither: not an echo
        Azenv,
        Httpbin,
    };
    Shape shape = Shape::None;
    std::string remoteAddr;                                   // REMOTE_ADDR, or httpbin's origin
    std::vector<std::pair<std::string, std::string>> params;  // the query's name=value pairs (args)
    std::vector<std::pair<std::string, std::string>> headers; // as the judge names them
};

// Pure; any thread.
EchoAnswer parseEcho(std::string_view body);
// The value of the query parameter name the answer echoes, if it does.
std::optional<std::string> echoedParam(const EchoAnswer& answer, std::string_view name);
// What an echo says of the proxy it came through.
struct EchoFacts {
    std::string exitIp; // the address the request reached the judge from; "" when none
    Anonymity anonymity = Anonymity::Unknown;
    std::vector<std::string> headerKeys; // the echoed headers' names as headerKey gives them
};
// A header's name as both shapes can be compared: upper case, '-' as '_', azenv's "HTTP_" dropped
// ("X-Forwarded-For" and "HTTP_X_FORWARDED_FOR" are both "X_FORWARDED_FOR").
std::string headerKey(std::string_view name);
// The exit address (REMOTE_ADDR, or the last address of httpbin's origin, which lists a forwarded chain
// first), and the anonymity: transparent when one of self (the program's own addresses as the judges saw
// them without a proxy, comma-separated) appears in the echo as a whole address, anonymous when a header
// that proxies add appears that the judge's answer to the program itself did not have (judgeOwn, header
// keys), elite otherwise. Without self the anonymity stays unknown.
EchoFacts echoFacts(const EchoAnswer& answer, std::string_view self,
                    const std::vector<std::string>& judgeOwn);

// url with name=value added to its query string.
std::string withQueryParam(const std::string& url, std::string_view name, std::string_view value);

} // namespace vorin
