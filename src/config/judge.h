// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "config/endpoints.h"
#include "platform/ioresult.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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
    // Whether this is the built-in test page of these site roots.
    bool isBuiltin(const Endpoints& endpoints) const;
};

// The user's judges file, plain UTF-8 text beside HKCU.reg (judges.txt): one judge a line, in the order
// they are tried. "URL" is an echo judge; "URL marker TEXT [BYTES]" a marker judge (TEXT without blanks,
// BYTES 120 unless given); "builtin" the built-in test page of the site roots in force. '#' at the start
// of a line or after a blank starts a comment. Lines that are none of these are reported (problems,
// UTF-8, one a line) and left out.
struct JudgeList {
    std::vector<Judge> judges;
    std::vector<std::string> problems;
};
JudgeList parseJudges(std::string_view text, const Endpoints& endpoints);

// The file's default text: the built-in test page first, then public echo judges of several operators.
const std::string& defaultJudgesText();
// judges.txt beside the current user's settings store.
std::filesystem::path judgesFile();
// Reads path into list (and its text into text, when given); a missing file is first written with the
// default text, its sites those of endpoints. Fails with a message (UTF-8) naming the file when it can be
// neither read nor made.
IoResult loadJudges(const std::filesystem::path& path, const Endpoints& endpoints, JudgeList& list,
                    std::string* text = nullptr);

} // namespace vorin
