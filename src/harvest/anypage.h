// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "config/sources.h"
#include "harvest/sourceworker.h"
#include "platform/hostport.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// Finds proxies in a page of any of the shapes today's lists come in, and hands each over as found:
// - text with [scheme://][user:password@]host:port anywhere, one or many a line (IPv4 addresses, IPv6 ones
//   in brackets); a number that runs on past the port, or an octet above 255, is no entry;
// - an address and a port in adjacent HTML table cells;
// - JSON, or JSON Lines (one document a line): such strings anywhere, in the page's order (an array under a
//   key named http, https, socks4 or socks5 gives them that protocol; a key that names an exit address,
//   such as exit_ip or origin, holds none), and objects with an address field (ip, host, address) and a
//   port field (port, number or text), with the protocol from protocol, protocols or type where present,
//   as a name or as objects with a type (and each its own port: an entry each).
// Entries without a protocol of their own get defaultProtocol (none when it is empty). Pure; any thread.
void cutAnyPage(std::string_view page, const std::string& defaultProtocol,
                const std::function<void(ProxyEntry)>& add);

// The row a found proxy becomes: the address, the port, the protocol in capitals, the credentials. An
// entry without a protocol gets fallback's, which is not its own.
Entry toEntry(const ProxyEntry& found, const std::string& fallback = {});

// The user's own sources, fetched in order and cut with cutAnyPage. A page that cannot be downloaded is
// skipped and counted like any source's.
class Tusersources final : public SourceWorker {
public:
    Tusersources(HarvestEnv& env, std::vector<UserSource> sources);
    const char* name() const override { return "Tusersources"; }
    void Execute() override;
    void parse(const Lines& lines, const EntrySink& add) override; // as an http source
    std::vector<Page> pages() override;
    // A source's short name: the first two and the last part of its path (a list repository's owner,
    // name and file), or its host and path when that is short.
    static std::string shortName(const std::string& url);

protected:
    std::string tallyName(const Page& page) const override { return shortName(page.url); }

private:
    std::vector<UserSource> sources_;
};

} // namespace vorin
