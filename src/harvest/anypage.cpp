// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "harvest/anypage.h"

#include "platform/idioms.h"
#include "platform/trim.h"

#include <nlohmann/json.hpp>

namespace vorin {
namespace {

constexpr std::size_t kMaxCredentials = 256;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isSchemeChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c);
}

// Bytes that end a run of credentials going backwards from the '@'.
bool endsCredentials(char c)
{
    return static_cast<unsigned char>(c) <= 32 || c == '/' || c == '"' || c == '\'' || c == '<' || c == '>' ||
           c == ',' || c == ';' || c == '(' || c == ')' || c == '[' || c == ']' || c == '{' || c == '}';
}

// The length of the digits at i, at most limit + 1 (so a run past the limit shows).
std::size_t digitsAt(std::string_view s, std::size_t i, std::size_t limit)
{
    std::size_t n = 0;
    while (i + n < s.size() && isDigit(s[i + n]) && n <= limit)
        ++n;
    return n;
}

// An IPv4 address starting at i whose first digit follows no digit, dot or letter; its length or 0.
std::size_t ipv4At(std::string_view s, std::size_t i)
{
    std::size_t p = i;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (p >= s.size() || s[p] != '.')
                return 0;
            ++p;
        }
        const std::size_t n = digitsAt(s, p, 3);
        if (n == 0 || n > 3)
            return 0;
        p += n;
    }
    return isIpv4(s.substr(i, p - i)) ? p - i : 0;
}

// The entry whose host starts at h and ends before the colon at c, with the port after it; prefixes
// (scheme, credentials) are read backwards from h.
std::optional<ProxyEntry> entryAt(std::string_view s, std::size_t h, std::size_t c, std::size_t& end)
{
    const std::size_t n = digitsAt(s, c + 1, 5);
    if (n == 0 || n > 5)
        return std::nullopt;
    end = c + 1 + n;
    if (end < s.size() && (isDigit(s[end]) || s[end] == '.'))
        return std::nullopt; // digits that run on, or an address that goes on
    ProxyEntry e;
    e.endpoint = {std::string(s.substr(h, c - h)), std::string(s.substr(c + 1, n))};
    if (!e.endpoint.valid())
        return std::nullopt;
    std::size_t start = h;
    if (start > 0 && s[start - 1] == '@') {
        // Credentials longer than kMaxCredentials are no one's: the walk back stays bounded, so a page of
        // one long word cannot make the scan quadratic.
        std::size_t b = start - 1;
        while (b > 0 && start - b <= kMaxCredentials && !endsCredentials(s[b - 1]))
            --b;
        if (start - b > kMaxCredentials)
            return std::nullopt;
        // "://" ends the credentials too: the scheme is read below.
        std::string_view run = s.substr(b, start - 1 - b);
        if (auto scheme = run.rfind("://"); scheme != std::string_view::npos) {
            b += scheme + 3;
            run = s.substr(b, start - 1 - b);
        }
        if (!run.empty())
            e.credentials = std::string(run);
        start = b;
    }
    if (start >= 3 && s.substr(start - 3, 3) == "://") {
        std::size_t b = start - 3;
        while (b > 0 && start - 3 - b < 8 && isSchemeChar(s[b - 1]))
            --b;
        e.protocol = knownProtocol(s.substr(b, start - 3 - b));
        if (e.protocol.empty())
            return std::nullopt; // ftp://, or anything else that is no proxy of ours
        // A URL's credentials are percent-encoded; bare ones are as written.
        if (!e.credentials.empty()) {
            std::optional<std::string> decoded = decodeUrlCredentials(e.credentials);
            if (!decoded)
                return std::nullopt;
            e.credentials = std::move(*decoded);
        }
    }
    return e;
}

void scanText(std::string_view s, const std::string& protocol, const std::function<void(ProxyEntry)>& add)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const char ch = s[i];
        std::size_t hostLen = 0;
        if (isDigit(ch) && (i == 0 || !(isDigit(s[i - 1]) || s[i - 1] == '.' || isSchemeChar(s[i - 1])))) {
            hostLen = ipv4At(s, i);
        } else if (ch == '[') {
            // An address in brackets is at most 47 bytes; the search looks no further.
            const auto close = s.substr(i, 48).find(']');
            if (close != std::string_view::npos && isBracketedIpv6(s.substr(i, close + 1)))
                hostLen = close + 1;
        }
        if (hostLen == 0 || i + hostLen >= s.size() || s[i + hostLen] != ':') {
            ++i;
            continue;
        }
        std::size_t end = i + hostLen;
        if (auto e = entryAt(s, i, i + hostLen, end)) {
            if (e->protocol.empty())
                e->protocol = protocol;
            add(std::move(*e));
        }
        i = std::max(end, i + 1);
    }
}

void scanCells(std::string_view s, const std::string& protocol, const std::function<void(ProxyEntry)>& add)
{
    // Each <td ...>...</td> in turn (case as written by most pages; <TD> too). Each marker's next place is
    // searched for again only once the scan has passed it, so the scan stays linear in the page.
    struct Next {
        std::string_view marker;
        std::size_t at = 0;
        bool searched = false;
        std::size_t from(std::string_view page, std::size_t pos)
        {
            if (!searched || (at != std::string_view::npos && at < pos)) {
                at = page.find(marker, pos);
                searched = true;
            }
            return at;
        }
    };
    Next td{"<td"}, TD{"<TD"}, endtd{"</td"}, endTD{"</TD"};
    std::string previous;
    bool havePrevious = false;
    std::size_t i = 0;
    while (true) {
        const std::size_t open = std::min(td.from(s, i), TD.from(s, i));
        if (open == std::string_view::npos)
            return;
        const std::size_t startTag = s.find('>', open);
        if (startTag == std::string_view::npos)
            return;
        const std::size_t close = std::min(endtd.from(s, startTag), endTD.from(s, startTag));
        if (close == std::string_view::npos)
            return;
        std::string text = untagged(s.substr(startTag + 1, close - startTag - 1));
        // A row ends between two cells when a </tr> lies between them.
        const bool sameRow = havePrevious && s.substr(i, open - i).find("</tr") == std::string_view::npos &&
                             s.substr(i, open - i).find("</TR") == std::string_view::npos;
        if (sameRow && isIpv4(previous)) {
            HostPort hp{previous, text};
            if (hp.valid())
                add(ProxyEntry{hp, protocol, {}});
        }
        previous = std::move(text);
        havePrevious = true;
        i = close + 4;
    }
}

// Members in the order of the page: the first of repeated addresses is the one the page gives first.
using Json = nlohmann::ordered_json;

// A protocol named by a string, or by an object's "type" or "protocol".
std::string protocolNamed(const Json& value)
{
    if (value.is_string())
        return knownProtocol(value.get_ref<const std::string&>());
    if (value.is_object()) {
        for (const char* key : {"type", "protocol"}) {
            if (auto it = value.find(key); it != value.end() && it->is_string())
                return knownProtocol(it->get_ref<const std::string&>());
        }
    }
    return {};
}

std::string protocolOf(const Json& object)
{
    for (const char* key : {"protocol", "protocols", "type"}) {
        auto it = object.find(key);
        if (it == object.end())
            continue;
        if (auto p = protocolNamed(*it); !p.empty())
            return p;
        if (it->is_array()) {
            for (const Json& item : *it) {
                if (auto p = protocolNamed(item); !p.empty())
                    return p;
            }
        }
    }
    return {};
}

std::string portOf(const Json& object)
{
    auto it = object.find("port");
    if (it == object.end())
        return {};
    if (it->is_number_unsigned())
        return std::to_string(it->get<std::uint64_t>());
    if (it->is_number_integer())
        return std::to_string(it->get<std::int64_t>());
    if (it->is_string())
        return std::string(trim(it->get_ref<const std::string&>()));
    return {};
}

bool exitKey(std::string_view key)
{
    for (std::string_view k :
         {"export_address", "exit_ip", "exit", "origin", "exit_address", "outgoing_ip"}) {
        if (key == k)
            return true;
    }
    return false;
}

void walkJson(const Json& value, const std::string& protocol, const std::function<void(ProxyEntry)>& add)
{
    if (value.is_string()) {
        scanText(value.get_ref<const std::string&>(), protocol, add);
    } else if (value.is_array()) {
        for (const Json& item : value)
            walkJson(item, protocol, add);
    } else if (value.is_object()) {
        bool asRecord = false;
        for (const char* key : {"ip", "host", "address"}) {
            auto it = value.find(key);
            if (it == value.end() || !it->is_string())
                continue;
            const std::string host(trim(it->get_ref<const std::string&>()));
            // Protocols as objects with ports of their own ([{"type": "socks5", "port": 1080}]): an entry
            // each.
            for (const char* listKey : {"protocols", "protocol"}) {
                auto list = value.find(listKey);
                if (list == value.end() || !list->is_array())
                    continue;
                for (const Json& item : *list) {
                    const std::string named = protocolNamed(item);
                    HostPort hp{host, item.is_object() ? portOf(item) : std::string()};
                    if (!named.empty() && hp.valid()) {
                        add(ProxyEntry{hp, named, {}});
                        asRecord = true;
                    }
                }
            }
            if (asRecord)
                break;
            HostPort hp{host, portOf(value)};
            if (hp.valid()) {
                const std::string own = protocolOf(value);
                add(ProxyEntry{hp, own.empty() ? protocol : own, {}});
                asRecord = true;
            }
            break;
        }
        if (asRecord)
            return;
        for (auto it = value.begin(); it != value.end(); ++it) {
            // The address a proxy's requests leave from is no proxy to try.
            if (exitKey(it.key()))
                continue;
            const std::string keyed = it.value().is_array() ? knownProtocol(it.key()) : std::string();
            walkJson(it.value(), keyed.empty() ? protocol : keyed, add);
        }
    }
}

} // namespace

void cutAnyPage(std::string_view page, const std::string& defaultProtocol,
                const std::function<void(ProxyEntry)>& add)
{
    const std::string_view body = trim(page);
    if (!body.empty() && (body.front() == '{' || body.front() == '[')) {
        // Nesting past 64 levels is no list of proxies; it is cut off so that nothing recurses deeply.
        auto limit = [](int depth, Json::parse_event_t, Json&) { return depth <= 64; };
        Json doc = Json::parse(body.begin(), body.end(), limit, /*allow_exceptions=*/false);
        if (!doc.is_discarded()) {
            walkJson(doc, defaultProtocol, add);
            return;
        }
        // JSON Lines: every line that is not blank a document of its own.
        std::vector<Json> lines;
        for (std::string_view rest = body; !rest.empty();) {
            const std::size_t eol = rest.find('\n');
            const std::string_view line = trim(rest.substr(0, eol));
            rest = eol == std::string_view::npos ? std::string_view() : rest.substr(eol + 1);
            if (line.empty())
                continue;
            lines.push_back(Json::parse(line.begin(), line.end(), limit, /*allow_exceptions=*/false));
            if (lines.back().is_discarded()) {
                lines.clear();
                break;
            }
        }
        if (!lines.empty()) {
            for (const Json& line : lines)
                walkJson(line, defaultProtocol, add);
            return;
        }
    }
    scanText(page, defaultProtocol, add);
    scanCells(page, defaultProtocol, add);
}

Entry toEntry(const ProxyEntry& found, const std::string& fallback)
{
    std::string upper = idioms::UpperCase(found.protocol.empty() ? fallback : found.protocol);
    Entry e{found.endpoint.host, found.endpoint.port, std::nullopt, std::nullopt, std::nullopt};
    e.ownProtocol = !found.protocol.empty();
    if (!upper.empty())
        e.protocol = std::move(upper);
    if (!found.credentials.empty())
        e.credentials = found.credentials;
    return e;
}

Tusersources::Tusersources(HarvestEnv& env, std::vector<UserSource> sources)
    : SourceWorker(env)
    , sources_(std::move(sources))
{
}

std::string Tusersources::shortName(const std::string& url)
{
    const std::size_t scheme = url.find("://");
    std::string_view rest = std::string_view(url).substr(scheme == std::string::npos ? 0 : scheme + 3);
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::vector<std::string_view> parts;
    for (std::size_t at = 0; at <= rest.size();) {
        const std::size_t slash = std::min(rest.find('/', at), rest.size());
        if (slash > at)
            parts.push_back(rest.substr(at, slash - at));
        at = slash + 1;
    }
    if (parts.size() <= 3)
        return std::string(rest);
    return std::string(parts[1]) + "/" + std::string(parts[2]) + "/" + std::string(parts.back());
}

std::vector<SourceWorker::Page> Tusersources::pages()
{
    std::vector<Page> out;
    for (std::size_t i = 0; i < sources_.size(); ++i)
        out.push_back({sources_[i].url, TempPaths::Dir::Executable, std::to_string(i + 1) + ".src"});
    return out;
}

void Tusersources::parse(const Lines& lines, const EntrySink& add)
{
    cutAnyPage(lines.text(), "", [&](ProxyEntry e) { add(toEntry(e, "http")); });
}

void Tusersources::Execute()
{
    const std::vector<Page> all = pages();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (env_.cancel.load())
            return;
        // A protocol the line names is the entries' own; without one they are bare http entries.
        const std::string protocol = sources_[i].declared ? sources_[i].protocol : std::string();
        fetchAndCut(all[i], [&](const Lines& lines) {
            cutAnyPage(lines.text(), protocol, [&](ProxyEntry e) { append(toEntry(e, "http")); });
        });
    }
}

} // namespace vorin
