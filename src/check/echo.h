// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

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
// url with name=value added to its query string.
std::string withQueryParam(const std::string& url, std::string_view name, std::string_view value);

} // namespace vorin
