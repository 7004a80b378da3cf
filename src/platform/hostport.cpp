// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/hostport.h"

#include "platform/inet.h"
#include "platform/trim.h"

#include <algorithm>

namespace vorin {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isAlnum(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

bool isBracketedIpv6(std::string_view text)
{
    if (text.size() < 4 || text.front() != '[' || text.back() != ']' || text.size() > 2 + 45)
        return false;
    const std::string inner(text.substr(1, text.size() - 2));
    in6_addr addr{};
    return ::inet_pton(AF_INET6, inner.c_str(), &addr) == 1;
}

bool isIpv4(std::string_view text)
{
    int parts = 0;
    std::size_t i = 0;
    while (true) {
        std::size_t digits = 0;
        int value = 0;
        while (i < text.size() && isDigit(text[i]) && digits < 4) {
            value = value * 10 + (text[i] - '0');
            ++i;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return false;
        ++parts;
        if (i == text.size())
            return parts == 4;
        if (text[i] != '.' || parts == 4)
            return false;
        ++i;
    }
}

bool isHostName(std::string_view text)
{
    if (text.empty() || text.size() > 253)
        return false;
    std::size_t start = 0;
    bool lastAllDigits = true;
    while (start <= text.size()) {
        std::size_t end = text.find('.', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view label = text.substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        lastAllDigits = true;
        for (char c : label) {
            if (!isAlnum(c) && c != '-')
                return false;
            lastAllDigits = lastAllDigits && isDigit(c);
        }
        start = end + 1;
    }
    return !lastAllDigits; // digits and dots that are no IPv4 address are no name either
}

HostPort HostPort::atFirstColon(std::string_view text)
{
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return {std::string(text), {}};
    return {std::string(text.substr(0, colon)), std::string(text.substr(colon + 1))};
}

HostPort HostPort::parse(std::string_view text)
{
    text = trim(text);
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close != std::string_view::npos && close + 1 < text.size() && text[close + 1] == ':')
            return {std::string(text.substr(0, close + 1)), std::string(text.substr(close + 2))};
        return {std::string(text), {}};
    }
    return atFirstColon(text);
}

HostPort HostPort::trimmed(std::string_view host, std::string_view port)
{
    return {std::string(trim(host)), std::string(trim(port))};
}

int HostPort::portNumber() const
{
    if (port.empty() || port.size() > 5)
        return 0;
    int value = 0;
    for (char c : port) {
        if (!isDigit(c))
            return 0;
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 65535 ? value : 0;
}

bool HostPort::valid() const
{
    return portNumber() != 0 && (isIpv4(host) || isBracketedIpv6(host) || isHostName(host));
}

std::string knownProtocol(std::string_view name)
{
    std::string lower;
    for (char c : name)
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    for (Protocol p : kProtocols) {
        if (lower == protocolName(p))
            return lower;
    }
    return {};
}

const char* protocolName(Protocol p)
{
    switch (p) {
    case Protocol::Http:
        return "http";
    case Protocol::Https:
        return "https";
    case Protocol::Socks4:
        return "socks4";
    case Protocol::Socks5:
        return "socks5";
    }
    return "";
}

std::optional<Protocol> protocolByName(std::string_view name)
{
    const std::string lower = knownProtocol(name);
    for (Protocol p : kProtocols) {
        if (!lower.empty() && lower == protocolName(p))
            return p;
    }
    return std::nullopt;
}

std::optional<ProtocolSet> parseProtocols(std::string_view list)
{
    ProtocolSet set = 0;
    while (true) {
        const auto comma = list.find(',');
        std::string_view name = list.substr(0, comma);
        while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
            name.remove_prefix(1);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.remove_suffix(1);
        const auto p = protocolByName(name);
        if (!p)
            return std::nullopt;
        set |= bit(*p);
        if (comma == std::string_view::npos)
            return set;
        list.remove_prefix(comma + 1);
    }
}

std::string protocolNames(ProtocolSet set, std::string_view separator)
{
    std::string out;
    for (Protocol p : kProtocols) {
        if (set & bit(p)) {
            if (!out.empty())
                out += separator;
            out += protocolName(p);
        }
    }
    return out;
}

Protocol kindOf(const ProxyEntry& entry)
{
    return protocolByName(entry.protocol).value_or(Protocol::Http);
}

std::pair<std::string, std::string> splitCredentials(std::string_view credentials)
{
    const std::size_t colon = credentials.find(':');
    if (colon == std::string_view::npos)
        return {std::string(credentials), {}};
    return {std::string(credentials.substr(0, colon)), std::string(credentials.substr(colon + 1))};
}

std::optional<std::string> decodeUrlCredentials(std::string_view encoded)
{
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    const std::size_t colon = encoded.find(':');
    std::string out;
    out.reserve(encoded.size());
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        char c = encoded[i];
        if (c == '%' && i + 2 < encoded.size() && hex(encoded[i + 1]) >= 0 && hex(encoded[i + 2]) >= 0) {
            c = static_cast<char>(hex(encoded[i + 1]) * 16 + hex(encoded[i + 2]));
            i += 2;
            if (c == ':' && i < colon)
                return std::nullopt; // a ':' in the user name
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return std::nullopt;
        out += c;
    }
    return out;
}

std::optional<ProxyEntry> parseProxyEntry(std::string_view text)
{
    text = trim(text);
    ProxyEntry e;
    const bool url = text.find("://") != std::string_view::npos;
    if (auto scheme = text.find("://"); scheme != std::string_view::npos) {
        e.protocol = knownProtocol(text.substr(0, scheme));
        if (e.protocol.empty())
            return std::nullopt;
        text.remove_prefix(scheme + 3);
    }
    if (auto at = text.rfind('@'); at != std::string_view::npos) {
        e.credentials = std::string(text.substr(0, at));
        if (e.credentials.empty() || e.credentials.find_first_of("/ \t") != std::string::npos ||
            std::any_of(e.credentials.begin(), e.credentials.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
            return std::nullopt; // no line break or control character ever reaches a header or a file
        if (url) {
            std::optional<std::string> decoded = decodeUrlCredentials(e.credentials);
            if (!decoded)
                return std::nullopt;
            e.credentials = std::move(*decoded);
        }
        text.remove_prefix(at + 1);
    }
    if (!text.empty() && text.back() == '/')
        text.remove_suffix(1); // "http://1.2.3.4:80/"
    e.endpoint = HostPort::parse(text);
    if (!e.endpoint.valid())
        return std::nullopt;
    return e;
}

} // namespace vorin
