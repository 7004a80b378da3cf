// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The judge of the window's checks: its stored form and the dialog that chooses it.
#include "app/frmvrdl.h"
#include "platform/gbk.h"
#include "platform/registry.h"
#include "platform/texts.h"

#include <algorithm>

namespace vorin {
namespace {

// Values of their own beside the source option; an empty URL is the built-in test page.
constexpr const char* kOptionKey = registry::kProgramKey;
constexpr const char* kJudgeUrl = "judgeurl";
constexpr const char* kJudgeMarker = "judgemarker";
constexpr const char* kJudgeBytes = "judgebytes";
// 1: the judges list (judges.txt); 0: the one judge above. Absent: the list, unless the store names a page
// (chosen before the list existed, and kept).
constexpr const char* kJudgePool = "judgepool";
constexpr const char* kCheckProtocols = "checkprotocols"; // "http,socks5"
constexpr const char* kGeoipFile = "geoipfile";
constexpr const char* kFastChecks = "fastchecks";       // checks in flight; 0 or absent: the 120 ms pacing
constexpr const char* kGuard = "guard";                 // 1: the proxy that stays alive is on
constexpr const char* kGuardInterval = "guardinterval"; // its seconds between checks
constexpr const char* kUseRelay = "userelay";           // 1: 设为代理 goes through the local relay
constexpr const char* kRelayPort = "relayport";         // its port on loopback
constexpr const char* kRelayFloor = "relayfloor";       // fewer working upstreams than this: it refills

// A port from 1 to 65535; the default for anything else.
int relayPort(std::uint32_t stored)
{
    return stored >= 1 && stored <= 65535 ? static_cast<int>(stored) : 8899;
}

int guardSeconds(std::uint32_t stored)
{
    return static_cast<int>(std::clamp<std::uint32_t>(stored, 5, 86400));
}

// More checks in flight than any descriptor limit allows are no use; the run cuts them further.
constexpr std::uint32_t kMostFastChecks = 65536;

Judge judgeFrom(const View::JudgeChoice& c, const Endpoints& endpoints)
{
    if (c.url.empty())
        return Judge::builtin(endpoints);
    Judge j;
    j.url = c.url;
    j.rule = c.marker.empty() ? Judge::Rule::Echo : Judge::Rule::Marker;
    j.marker = c.marker;
    j.markerBytes = static_cast<std::size_t>(c.markerBytes > 0 ? c.markerBytes : 120);
    return j;
}

} // namespace

void Tfrmvrdl::readjudge()
{
    auto key = registry::Key::open(registry::Hive::CurrentUser, kOptionKey);
    View::JudgeChoice c;
    // The store holds GBK text; the URL and the marker are the user's UTF-8.
    c.url = gbk::toUtf8(key.readString(kJudgeUrl).value_or(std::string()));
    c.marker = gbk::toUtf8(key.readString(kJudgeMarker).value_or(std::string()));
    c.markerBytes = static_cast<int>(key.readDword(kJudgeBytes).value_or(120));
    judgeauto = key.readDword(kJudgePool).value_or(c.url.empty() ? 1 : 0) == 1;
    // A list that names no protocol the program knows keeps the default.
    checkprotocols =
        parseProtocols(key.readString(kCheckProtocols).value_or("http")).value_or(bit(Protocol::Http));
    geoipfile = gbk::toUtf8(key.readString(kGeoipFile).value_or(std::string()));
    setfastchecks(
        static_cast<int>(std::min<std::uint32_t>(key.readDword(kFastChecks).value_or(0), kMostFastChecks)));
    guard_.on = key.readDword(kGuard).value_or(0) == 1;
    guard_.intervalSeconds = guardSeconds(key.readDword(kGuardInterval).value_or(60));
    userelay = key.readDword(kUseRelay).value_or(0) == 1;
    relayport = relayPort(key.readDword(kRelayPort).value_or(8899));
    relayfloor = static_cast<int>(std::clamp<std::uint32_t>(key.readDword(kRelayFloor).value_or(5), 1, 1000));
    Judge stored = judgeFrom(c, endpoints_);
    std::string why;
    if (c.url.empty() || stored.usable(why))
        judge = std::move(stored);
    else
        showinfo(texts().judgeUnusable + gbk::fromUtf8(why));
}

void Tfrmvrdl::mnjudgeExecute()
{
    View::JudgeChoice current{judgeauto,
                              judge.isBuiltin(endpoints_) ? std::string() : judge.url,
                              judge.marker,
                              static_cast<int>(judge.markerBytes),
                              checkprotocols,
                              geoipfile,
                              fastchecks(),
                              guard_.on,
                              guard_.intervalSeconds,
                              userelay,
                              relayport};
    auto chosen = view_.judgeDialog(current);
    if (!chosen)
        return;
    Judge next = judgeFrom(*chosen, endpoints_);
    std::string why;
    if (!chosen->pool && !chosen->url.empty() && !next.usable(why)) {
        view_.messageBox(texts().judgeUnusable + gbk::fromUtf8(why));
        return;
    }
    // A page typed while the list is chosen is kept for later, when it can be used.
    if (chosen->url.empty() || next.usable(why))
        judge = std::move(next);
    judgeauto = chosen->pool;
    checkprotocols = chosen->protocols != 0 ? chosen->protocols : bit(Protocol::Http);
    geoipfile = chosen->geoipFile;
    setfastchecks(std::clamp(chosen->fastChecks, 0, static_cast<int>(kMostFastChecks)));
    guard_.on = chosen->guard;
    guard_.intervalSeconds = guardSeconds(static_cast<std::uint32_t>(std::max(chosen->guardSeconds, 0)));
    userelay = chosen->relay;
    relayport = relayPort(static_cast<std::uint32_t>(std::max(chosen->relayPort, 0)));
    auto key = registry::Key::open(registry::Hive::CurrentUser, kOptionKey);
    // Stored one after another until one cannot be: the choice holds for this session all the same, and
    // the status line says the store did not take it.
    IoResult stored;
    const auto then = [&stored](auto write) {
        if (stored)
            stored = write();
    };
    then([&] { return key.writeDword(kJudgePool, judgeauto ? 1 : 0); });
    then([&] {
        return key.writeString(kJudgeUrl,
                               gbk::fromUtf8(judge.isBuiltin(endpoints_) ? std::string() : judge.url));
    });
    then([&] { return key.writeString(kJudgeMarker, gbk::fromUtf8(chosen->marker)); });
    then([&] { return key.writeDword(kJudgeBytes, static_cast<std::uint32_t>(judge.markerBytes)); });
    then([&] { return key.writeString(kCheckProtocols, protocolNames(checkprotocols)); });
    then([&] { return key.writeString(kGeoipFile, gbk::fromUtf8(geoipfile)); });
    then([&] { return key.writeDword(kFastChecks, static_cast<std::uint32_t>(fastchecks())); });
    then([&] { return key.writeDword(kGuard, guard_.on ? 1 : 0); });
    then([&] { return key.writeDword(kGuardInterval, static_cast<std::uint32_t>(guard_.intervalSeconds)); });
    then([&] { return key.writeDword(kUseRelay, userelay ? 1 : 0); });
    then([&] { return key.writeDword(kRelayPort, static_cast<std::uint32_t>(relayport)); });
    std::string said = judgeauto ? texts().judgePool
                       : chosen->url.empty()
                           ? texts().judgeBuiltin
                           : (judge.rule == Judge::Rule::Echo ? texts().judgeEcho : texts().judgeMarker) +
                                 gbk::fromUtf8(judge.url);
    if (checkprotocols != bit(Protocol::Http))
        said += texts().protocolsChosen + protocolNames(checkprotocols);
    if (fastchecks() > 0)
        said += texts().fastChosen + std::to_string(fastchecks()) + texts().checkCappedEnd;
    if (userelay)
        said += texts().relayChosen + std::to_string(relayport);
    if (guard_.on && !userelay)
        said += texts().guardChosen + std::to_string(guard_.intervalSeconds) + texts().guardChosenEnd;
    showinfo(said);
    if (!stored)
        showinfo(texts().settingsNotSaved + gbk::fromUtf8(stored.message));
}

} // namespace vorin
