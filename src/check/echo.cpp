// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "check/echo.h"

#include "platform/trim.h"

#include <nlohmann/json.hpp>

#include "platform/inet.h"
#include <algorithm>

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
                untagged(raw.substr(from, br == std::string_view::npos ? br : br - from));
            // The tag's own rest ("<br />", "<br/>") goes with it, so the next name starts clean.
            if (br != std::string_view::npos) {
                const std::size_t close = raw.find('>', br);
                from = close == std::string_view::npos ? br + 3 : close + 1;
            } else {
                from = raw.size() + 1;
            }
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

std::string headerKey(std::string_view name)
{
    std::string key;
    for (char c : name)
        key += c == '-' ? '_' : (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (key.rfind("HTTP_", 0) == 0)
        key.erase(0, 5);
    return key;
}

namespace {

// The headers by which a proxy gives itself or its client away.
bool proxyHeader(std::string_view key)
{
    static constexpr std::string_view keys[] = {
        "VIA",
        "X_FORWARDED_FOR",
        "FORWARDED",
        "FORWARDED_FOR",
        "X_FORWARDED",
        "X_REAL_IP",
        "CLIENT_IP",
        "X_CLIENT_IP",
        "PROXY_CONNECTION",
        "X_PROXY_CONNECTION",
        "X_PROXY_ID",
        "X_CLUSTER_CLIENT_IP",
        "X_ORIGINATING_IP",
        "X_BLUECOAT_VIA",
        "PROXY_CLIENT_IP",
        "WL_PROXY_CLIENT_IP",
        "TRUE_CLIENT_IP",
        "X_PROXYUSER_IP",
    };
    for (std::string_view k : keys) {
        if (key == k)
            return true;
    }
    return false;
}

// An IPv4 address written IPv4-mapped ("::ffff:1.2.3.4") as itself: a proxy may forward either form of
// the address the program's own ask showed in the other.
std::string_view unmapped(std::string_view address)
{
    if (address.size() > 7 && address.find('.') != std::string_view::npos) {
        std::string head(address.substr(0, 7));
        for (char& c : head)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (head == "::ffff:")
            return address.substr(7);
    }
    return address;
}

// Whether address appears in text as a whole address: text is cut at every byte that cannot be part of
// one, and a port after an IPv4 address ("1.2.3.4:80") is left out. 127.0.0.1 is not in 127.0.0.15.
bool containsOne(std::string_view text, std::string_view address)
{
    if (address.empty())
        return false;
    auto part = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '.' ||
               c == ':';
    };
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && !part(text[i]))
            ++i;
        std::size_t j = i;
        while (j < text.size() && part(text[j]))
            ++j;
        std::string_view token = text.substr(i, j - i);
        if (const auto colon = token.find(':'); colon != std::string_view::npos &&
                                                token.find('.') != std::string_view::npos &&
                                                token.find(':', colon + 1) == std::string_view::npos)
            token = token.substr(0, colon);
        if (unmapped(token) == unmapped(address))
            return true;
        i = j;
    }
    return false;
}

// The same for any of a comma-separated list of addresses.
bool containsAddress(std::string_view text, std::string_view addresses)
{
    for (std::size_t from = 0; from <= addresses.size();) {
        const std::size_t comma = std::min(addresses.find(',', from), addresses.size());
        if (containsOne(text, addresses.substr(from, comma - from)))
            return true;
        from = comma + 1;
    }
    return false;
}

} // namespace

EchoFacts echoFacts(const EchoAnswer& answer, std::string_view self, const std::vector<std::string>& judgeOwn)
{
    EchoFacts facts;
    std::string_view exit = answer.remoteAddr;
    if (const auto comma = exit.rfind(','); comma != std::string_view::npos)
        exit.remove_prefix(comma + 1);
    // Only an address is taken: the text goes on into files and the location lookup.
    const std::string candidate(trim(exit));
    unsigned char buf[16];
    // (inet_pton reads up to a NUL byte: one inside the text would let the rest through.)
    if (candidate.find('\0') == std::string::npos && (::inet_pton(AF_INET, candidate.c_str(), buf) == 1 ||
                                                      ::inet_pton(AF_INET6, candidate.c_str(), buf) == 1))
        facts.exitIp = candidate;
    bool transparent = containsAddress(answer.remoteAddr, self);
    bool marked = false;
    for (const auto& [name, value] : answer.headers) {
        std::string key = headerKey(name);
        // Host names the judge, not the client: a judge addressed by the program's own address names it.
        transparent = transparent || (key != "HOST" && containsAddress(value, self));
        if (proxyHeader(key) && std::find(judgeOwn.begin(), judgeOwn.end(), key) == judgeOwn.end())
            marked = true;
        facts.headerKeys.push_back(std::move(key));
    }
    if (answer.shape == EchoAnswer::Shape::None || self.empty())
        facts.anonymity = Anonymity::Unknown;
    else
        facts.anonymity = transparent ? Anonymity::Transparent
                          : marked    ? Anonymity::Anonymous
                                      : Anonymity::Elite;
    return facts;
}

std::string withQueryParam(const std::string& url, std::string_view name, std::string_view value)
{
    std::string base = url.substr(0, url.find('#'));
    const std::size_t query = base.find('?');
    if (query != std::string::npos) {
        // A parameter of the same name already in the URL goes: the judge would echo both, and the
        // check must find its own token.
        std::string kept;
        std::string_view rest = std::string_view(base).substr(query + 1);
        while (!rest.empty()) {
            const std::size_t amp = rest.find('&');
            const std::string_view pair = rest.substr(0, amp);
            if (!pair.empty() && pair.substr(0, pair.find('=')) != name)
                kept.append(pair).push_back('&');
            rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
        }
        base = base.substr(0, query + 1) + kept;
    } else {
        base += '?';
    }
    return base + std::string(name) + "=" + std::string(value);
}

} // namespace vorin
