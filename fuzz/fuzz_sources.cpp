// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The user's sources and judges files: every source or judge kept is an http or https URL without blanks
// or control bytes (a source with a known protocol, a marker judge with a marker that fits its bytes);
// every other non-comment line is a problem, never an entry. A protocol list read from
// the same text names only the four protocols, and a judge URL made of it is usable only as http(s).
#include "config/judge.h"
#include "config/sources.h"
#include "config/userfile.h"
#include "platform/hostport.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const vorin::SourceList list = vorin::parseSources(text);
    for (const auto& s : list.sources) {
        std::string head = s.url.substr(0, 8);
        for (char& c : head)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        const bool http = head.rfind("http://", 0) == 0 || head.rfind("https://", 0) == 0;
        if (!http || vorin::knownProtocol(s.protocol) != s.protocol)
            std::abort();
        for (char c : s.url) {
            if (static_cast<unsigned char>(c) <= 32)
                std::abort();
        }
    }
    if (list.sources.size() + list.problems.size() > size)
        std::abort();
    const vorin::Endpoints endpoints = vorin::Endpoints::defaults();
    const vorin::JudgeList judges = vorin::parseJudges(text, endpoints);
    for (const vorin::Judge& j : judges.judges) {
        if (j.isBuiltin(endpoints))
            continue; // the site's own page, its marker built in
        std::string why;
        if (!j.usable(why) || !vorin::plainUrl(j.url))
            std::abort();
        if (j.rule == vorin::Judge::Rule::Marker && !j.isBuiltin(endpoints) && j.marker.empty())
            std::abort();
    }
    if (judges.judges.size() + judges.problems.size() > size)
        std::abort();
    // The same text as a stored protocol list ("checkprotocols", which a user may edit): known bits only.
    if (const auto set = vorin::parseProtocols(text); set && (*set == 0 || (*set & ~0x0f) != 0))
        std::abort();
    // The same text as a judge URL the user typed or stored: usable only as http(s) without blanks.
    vorin::Judge judge;
    judge.rule = vorin::Judge::Rule::Echo;
    judge.url = std::string(text);
    std::string why;
    if (judge.usable(why)) {
        if (judge.url.rfind("http://", 0) != 0 && judge.url.rfind("https://", 0) != 0)
            std::abort();
        for (char c : judge.url) {
            if (static_cast<unsigned char>(c) <= 32 || c == 127)
                std::abort();
        }
    }
    return 0;
}
