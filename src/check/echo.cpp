// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "check/echo.h"

#include "platform/trim.h"

#include <nlohmann/json.hpp>

namespace vorin {
namespace {

void addQuery(std::string_view query, std::vector<std::pair<std::string, std::string>>& params)
{
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const auto eq = pair.find('=');
        params.emplace_back(std::string(pair.substr(0, eq)),
                            eq == std::string_view::npos ? std::string() : std::string(pair.substr(eq + 1)));
        if (amp == std::string_view::npos)
            break;
        query.remove_prefix(amp + 1);
    }
}

// A line of an azenv page with its tags left out ("<br>", "<pre>"), trimmed.
std::string plainLine(std::string_view line)
{
    std::string out;
    bool inTag = false;
    for (char c : line) {
        if (c == '<')
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag)
            out += c;
    }
    return std::string(trim(out));
}

bool parseHttpbin(std::string_view body, EchoAnswer& answer)
{
    using Json = nlohmann::json;
    auto limit = [](int depth, Json::parse_event_t, Json&) { return depth <= 16; };
    const Json doc = Json::parse(body.begin(), body.end(), limit, /*allow_exceptions=*/false);
    if (doc.is_discarded() || !doc.is_object() || !doc.contains("headers") || !doc["headers"].is_object())
        return false;
    answer.shape = EchoAnswer::Shape::Httpbin;
    if (auto origin = doc.find("origin"); origin != doc.end() && origin->is_string())
        answer.remoteAddr = origin->get<std::string>();
    if (auto args = doc.find("args"); args != doc.end() && args->is_object()) {
        for (auto it = args->begin(); it != args->end(); ++it) {
            if (it.value().is_string())
                answer.params.emplace_back(it.key(), it.value().get<std::string>());
        }
    }
    for (auto it = doc["headers"].begin(); it != doc["headers"].end(); ++it) {
        if (it.value().is_string())
            answer.headers.emplace_back(it.key(), it.value().get<std::string>());
    }
    return true;
}

} // namespace

EchoAnswer parseEcho(std::string_view body)
{
    EchoAnswer answer;
    const std::string_view trimmed = trim(body);
    if (!trimmed.empty() && trimmed.front() == '{') {
        parseHttpbin(trimmed, answer);
        return answer;
    }
    bool sawRemote = false;
    std::size_t start = 0;
    while (start < body.size()) {
        std::size_t end = body.find('\n', start);
        if (end == std::string_view::npos)
            end = body.size();
        // "<br>" may end a line as well as a line break.
        std::string_view raw = body.substr(start, end - start);
        start = end + 1;
        std::size_t from = 0;
        while (from <= raw.size()) {
            std::size_t br = raw.find("<br", from);
            const std::string line =
                plainLine(raw.substr(from, br == std::string_view::npos ? br : br - from));
            from = br == std::string_view::npos ? raw.size() + 1 : br + 3;
            const auto eq = line.find(" = ");
            if (eq == std::string::npos)
                continue;
            const std::string name = line.substr(0, eq);
            const std::string value = line.substr(eq + 3);
            if (name.empty() ||
                name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") != std::string::npos)
                continue;
            if (name == "REMOTE_ADDR") {
                answer.remoteAddr = value;
                sawRemote = true;
            } else if (name == "QUERY_STRING") {
                addQuery(value, answer.params);
            } else if (name.rfind("HTTP_", 0) == 0) {
                answer.headers.emplace_back(name, value);
            }
        }
    }
    if (sawRemote)
        answer.shape = EchoAnswer::Shape::Azenv;
    else
        answer = {};
    return answer;
}

std::optional<std::string> echoedParam(const EchoAnswer& answer, std::string_view name)
{
    for (const auto& [key, value] : answer.params) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

std::string withQueryParam(const std::string& url, std::string_view name, std::string_view value)
{
    std::string base = url.substr(0, url.find('#'));
    const char joint = base.find('?') == std::string::npos          ? '?'
                       : (base.back() == '?' || base.back() == '&') ? '\0'
                                                                    : '&';
    if (joint != '\0')
        base += joint;
    return base + std::string(name) + "=" + std::string(value);
}

} // namespace vorin
