// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "cli/proxycommand.h"

#include "platform/registry.h"
#include "system/systemproxy.h"

namespace vorin::cli {

int proxyCommand(const Options& options, std::FILE* out, std::FILE* err)
{
    // A store that cannot be written would leave the switch half done: it is tried first.
    if (options.proxyAction != ProxyAction::Show) {
        const auto key = registry::Key::open(registry::Hive::CurrentUser, systemproxy::kInternetSettingsKey);
        if (IoResult r = key.writeDword("ProxyEnable", key.readDword("ProxyEnable").value_or(0)); !r) {
            std::fprintf(err, "vorindaili-cli: 无法写入设置：%s\n", r.message.c_str());
            return kExitFailed;
        }
    }
    switch (options.proxyAction) {
    case ProxyAction::Set:
        systemproxy::enable(options.proxyTarget);
        std::fprintf(err, "系统代理已设为 %s\n", options.proxyTarget.c_str());
        break;
    case ProxyAction::Stop:
        systemproxy::disable();
        std::fprintf(err, "系统代理已停用\n");
        break;
    case ProxyAction::Show: {
        const std::string proxy = systemproxy::read();
        std::fprintf(out, "%s\n", proxy.c_str());
        if (auto desktop = systemproxy::desktop(); desktop && *desktop != proxy)
            std::fprintf(err, "桌面的代理设置与本程序保存的不同，桌面现为：%s\n",
                         desktop->empty() ? "不使用代理" : desktop->c_str());
        break;
    }
    }
    return kExitOk;
}

} // namespace vorin::cli
