// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// An echo judge's answer, as any proxy may forge it: nothing is read from a body of neither shape, and
// what is read stays within the body's size.
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
    return 0;
}
