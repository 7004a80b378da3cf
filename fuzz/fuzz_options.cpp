// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The command line of vorindaili-cli, one argument a line: whatever the words, the parse ends with one
// line naming the problem or with options inside their bounds, in both languages.
#include "cli/options.h"
#include "platform/texts.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vorin;

namespace {

void check(const std::vector<std::string>& args)
{
    const cli::Parsed p = cli::parseArguments(args);
    if (!p.error.empty()) {
        if (p.error.find('\n') != std::string::npos)
            std::abort();
        return;
    }
    const cli::Options& o = p.options;
    if (!o.help && o.command == cli::Command::None)
        std::abort();
    if (o.groups && (o.groups->size() != 3 || o.groups->find_first_not_of("01") != std::string::npos))
        std::abort();
    if (o.concurrency < 0 || o.concurrency > 100000 || o.interval < 1 || o.interval > 86400)
        std::abort();
    if ((o.in && o.in->empty()) || (o.out && o.out->empty()))
        std::abort();
    // A proxy to set names an endpoint and, where written, a known protocol: nothing else steers its kind.
    if (o.command == cli::Command::Proxy && o.proxyAction == cli::ProxyAction::Set && !o.help &&
        (!o.proxyTarget.endpoint.valid() ||
         (!o.proxyTarget.protocol.empty() &&
          knownProtocol(o.proxyTarget.protocol) != o.proxyTarget.protocol)))
        std::abort();
    if (o.listenPort < 1 || o.listenPort > 65535)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::size_t start = 0; start <= text.size();) {
        const auto end = std::min(text.find('\n', start), text.size());
        args.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (!text.empty() && text.back() == '\n')
        args.pop_back();
    for (Language language : {Language::Chinese, Language::English}) {
        setMessageLanguage(language);
        check(args);
    }
    return 0;
}
