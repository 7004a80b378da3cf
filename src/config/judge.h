// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "config/endpoints.h"

#include <cstddef>
#include <string>

namespace vorin {

// The page a check fetches through each proxy, and the rule its answer must meet.
// - Marker: status 200 and the marker's bytes within the first markerBytes of the body. The built-in judge
//   is the marker judge "您的IP地址" (GBK) in 120 bytes at the lookup site's "/ip2city.asp".
// - Echo: the page echoes the request (azenv-style "NAME = value" lines or httpbin-style JSON); each check
//   sends a fresh random token in the query string and passes only on status 200 with the token echoed,
//   so a proxy that answers from a cache, or with a page of its own, fails.
struct Judge {
    enum class Rule {
        Marker,
        Echo,
    };
    Rule rule = Rule::Marker;
    std::string url;
    std::string marker; // Marker only; empty means the built-in marker, matched character by character in GBK
    std::size_t markerBytes = 120;

    static Judge builtin(const Endpoints& endpoints);
    // Whether a judge the user named can be used: an http:// or https:// URL without blanks, a marker
    // rule with a marker and a byte count from 1 to 1 MiB. why (UTF-8) says what is wrong.
    bool usable(std::string& why) const;
};

} // namespace vorin
