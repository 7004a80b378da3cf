// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "cli/proxycommand.h"

#include "platform/gbk.h"
#include "platform/registry.h"
#include "platform/texts.h"
#include "system/systemproxy.h"

namespace vorin::cli {

int proxyCommand(const Options& options, std::FILE* out, std::FILE* err)
{
    if (options.proxyAction == ProxyAction::Set && systemproxy::needsRelay(options.proxyTarget)) {
        std::fprintf(err, "vorindaili-cli: %s\n", gbk::toUtf8(texts().relayForSystemCli).c_str());
        return kExitUsage;
    }
    // A store that cannot be written would leave the switch half done: it is tried first.
    if (options.proxyAction != ProxyAction::Show) {
        const auto key = registry::Key::open(registry::Hive::CurrentUser, systemproxy::kInternetSettingsKey);
        if (IoResult r = key.writeDword("ProxyEnable", key.readDword("ProxyEnable").value_or(0)); !r) {
            std::fprintf(err, "vorindaili-cli: %s%s\n",
                         say("无法写入设置：", "cannot write the settings: ").c_str(), r.message.c_str());
            return kExitFailed;
        }
    }
    switch (options.proxyAction) {
    case ProxyAction::Set: {
        const systemproxy::Outcome done = systemproxy::enable(options.proxyTarget);
        if (!done.result) {
            std::fprintf(err, "vorindaili-cli: %s%s\n", gbk::toUtf8(texts().proxyNotAllSet).c_str(),
                         done.result.message.c_str());
            return kExitFailed;
        }
        std::fprintf(err, "%s%s\n", say("系统代理已设为 ", "system proxy set to ").c_str(),
                     systemproxy::nameOf(options.proxyTarget).c_str());
        if (done.credentialsDropped)
            std::fprintf(err, "%s\n", gbk::toUtf8(texts().desktopNoCredentials).c_str());
        break;
    }
    case ProxyAction::Stop: {
        const systemproxy::Outcome done = systemproxy::disable();
        if (!done.result) {
            std::fprintf(err, "vorindaili-cli: %s%s\n", gbk::toUtf8(texts().proxyNotRestored).c_str(),
                         done.result.message.c_str());
            return kExitFailed;
        }
        std::fprintf(err, "%s\n", say("系统代理已停用", "system proxy stopped").c_str());
        break;
    }
    case ProxyAction::Show: {
        const std::string proxy = systemproxy::read();
        std::fprintf(out, "%s\n", proxy.c_str());
        if (auto desktop = systemproxy::desktopDiffers())
            std::fprintf(
                err, "%s\n",
                gbk::toUtf8(texts().desktopDiffers + (desktop->empty() ? texts().desktopNoProxy : *desktop))
                    .c_str());
        break;
    }
    }
    return kExitOk;
}

} // namespace vorin::cli
