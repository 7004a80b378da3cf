// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// An echo judge's answer, as any proxy may forge it: nothing is read from a body of neither shape, and
// what is read stays within the body's size; the facts told of it are an address and a known verdict.
#include "check/echo.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const vorin::EchoAnswer a = vorin::parseEcho(body);
    if (a.shape == vorin::EchoAnswer::Shape::None && (!a.remoteAddr.empty() || !a.params.empty()))
        std::abort();
    if (a.params.size() + a.headers.size() > size)
        std::abort();
    // An echoed parameter is one value of the query: it holds no separator and no line break.
    if (auto token = vorin::echoedParam(a, "vorin"); token && a.shape == vorin::EchoAnswer::Shape::Azenv &&
                                                     token->find_first_of("&\n") != std::string::npos)
        std::abort();
    // The exit address that goes on into files and lookups is an address or nothing, and the anonymity is
    // only told for an echo.
    const vorin::EchoFacts f = vorin::echoFacts(a, "127.0.0.1", {"VIA"});
    if (!f.exitIp.empty() && f.exitIp.find_first_not_of("0123456789abcdefABCDEF.:") != std::string::npos)
        std::abort();
    if (a.shape == vorin::EchoAnswer::Shape::None && f.anonymity != vorin::Anonymity::Unknown)
        std::abort();
    return 0;
}
