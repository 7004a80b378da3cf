// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "cli/options.h"

#include <charconv>
#include <map>

namespace vorin::cli {
namespace {

enum class Opt {
    Groups,
    In,
    Out,
    Format,
    Concurrency,
    Proxy,
    Locate,
    Sources,
    Judge,
    Marker,
    MarkerBytes,
    Protocols,
    Offline,
    Geoip,
    Interval,
};

struct OptionInfo {
    Opt id;
    bool takesValue;
};

const std::map<std::string, OptionInfo>& knownOptions()
{
    static const std::map<std::string, OptionInfo> options = {
        {"--groups", {Opt::Groups, true}},
        {"--in", {Opt::In, true}},
        {"--out", {Opt::Out, true}},
        {"-o", {Opt::Out, true}},
        {"--format", {Opt::Format, true}},
        {"--concurrency", {Opt::Concurrency, true}},
        {"--proxy", {Opt::Proxy, true}},
        {"--locate", {Opt::Locate, false}},
        {"--sources", {Opt::Sources, true}},
        {"--judge", {Opt::Judge, true}},
        {"--marker", {Opt::Marker, true}},
        {"--marker-bytes", {Opt::MarkerBytes, true}},
        {"--protocols", {Opt::Protocols, true}},
        {"--offline", {Opt::Offline, false}},
        {"--geoip", {Opt::Geoip, true}},
        {"--interval", {Opt::Interval, true}},
    };
    return options;
}

bool allowed(Command command, Opt opt)
{
    switch (opt) {
    case Opt::Out:
    case Opt::Format:
        return command != Command::Proxy && command != Command::Guard;
    case Opt::Interval:
        return command == Command::Guard;
    case Opt::Groups:
    case Opt::Sources:
        return command == Command::Harvest || command == Command::Run;
    case Opt::In:
        return command == Command::Validate || command == Command::Locate || command == Command::Guard;
    case Opt::Concurrency:
    case Opt::Judge:
    case Opt::Marker:
    case Opt::MarkerBytes:
    case Opt::Protocols:
        return command == Command::Validate || command == Command::Run;
    case Opt::Offline:
    case Opt::Geoip:
        return command == Command::Locate || command == Command::Run;
    case Opt::Proxy:
        return command == Command::Harvest || command == Command::Locate || command == Command::Run;
    case Opt::Locate:
        return command == Command::Run;
    }
    return false;
}

const char* commandName(Command command)
{
    switch (command) {
    case Command::Harvest:
        return "harvest";
    case Command::Validate:
        return "validate";
    case Command::Locate:
        return "locate";
    case Command::Run:
        return "run";
    case Command::Proxy:
        return "proxy";
    case Command::Guard:
        return "guard";
    case Command::None:
        break;
    }
    return "";
}

std::optional<int> parseInt(const std::string& text)
{
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A decimal integer from lo to hi, nothing else.
std::optional<int> intBetween(const std::string& text, int lo, int hi)
{
    auto n = parseInt(text);
    return n && *n >= lo && *n <= hi ? n : std::nullopt;
}

bool validHostPort(const std::string& text)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    for (char c : text.substr(0, colon)) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '/' || c == '@')
            return false;
    }
    auto port = parseInt(text.substr(colon + 1));
    return port && *port >= 1 && *port <= 65535;
}

std::string seeHelp(Command command)
{
    std::string name = command == Command::None ? "" : std::string(commandName(command)) + " ";
    return "（运行 vorindaili-cli " + name + "--help 查看用法）";
}

} // namespace

Parsed parseArguments(const std::vector<std::string>& args)
{
    Parsed p;
    Options& o = p.options;
    auto fail = [&p](std::string message) {
        p.error = std::move(message);
        return p;
    };
    std::size_t i = 0;
    if (i < args.size() && (args[i] == "--help" || args[i] == "-h")) {
        o.help = true;
        return p;
    }
    if (i >= args.size())
        return fail("缺少命令：harvest、validate、locate、run、proxy 或 guard" + seeHelp(Command::None));
    static const std::map<std::string, Command> commands = {
        {"harvest", Command::Harvest}, {"validate", Command::Validate}, {"locate", Command::Locate},
        {"run", Command::Run},         {"proxy", Command::Proxy},       {"guard", Command::Guard}};
    auto cmd = commands.find(args[i]);
    if (cmd == commands.end())
        return fail("未知命令 \"" + args[i] + "\"" + seeHelp(Command::None));
    o.command = cmd->second;
    ++i;
    if (o.command == Command::Proxy && i < args.size() && args[i] != "--help" && args[i] != "-h") {
        static const std::map<std::string, ProxyAction> actions = {
            {"show", ProxyAction::Show}, {"set", ProxyAction::Set}, {"stop", ProxyAction::Stop}};
        auto action = actions.find(args[i]);
        if (action == actions.end())
            return fail("proxy 的操作 \"" + args[i] + "\" 无效：应为 set、stop 或 show" + seeHelp(o.command));
        o.proxyAction = action->second;
        ++i;
        if (o.proxyAction == ProxyAction::Set) {
            if (i >= args.size())
                return fail("proxy set 缺少 主机:端口" + seeHelp(o.command));
            const HostPort target = HostPort::parse(args[i]);
            if (!target.valid())
                return fail("proxy set 的取值 \"" + args[i] + "\" 无效：应为 主机:端口，例如 127.0.0.1:3128");
            o.proxyTarget = target.text();
            ++i;
        }
    }
    for (; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return p;
        }
        std::optional<std::string> inlineValue;
        if (auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = arg.substr(eq + 1);
            arg.erase(eq);
        }
        auto known = knownOptions().find(arg);
        if (known == knownOptions().end()) {
            if (arg.rfind("-", 0) == 0 && arg != "-")
                return fail("未知选项 \"" + arg + "\"" + seeHelp(o.command));
            return fail("多余的参数 \"" + arg + "\"" + seeHelp(o.command));
        }
        const OptionInfo info = known->second;
        if (!allowed(o.command, info.id))
            return fail(std::string("命令 ") + commandName(o.command) + " 没有选项 \"" + arg + "\"" +
                        seeHelp(o.command));
        std::string value;
        if (info.takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return fail("选项 \"" + arg + "\" 缺少取值" + seeHelp(o.command));
            }
        } else if (inlineValue) {
            return fail("选项 \"" + arg + "\" 不带取值" + seeHelp(o.command));
        }
        switch (info.id) {
        case Opt::Groups:
            if (value.size() != 3 || value.find_first_not_of("01") != std::string::npos)
                return fail("--groups 的取值 \"" + value +
                            "\" 无效：应为三个 0 或 1，依次对应国内、国外、特定网站，例如 100");
            o.groups = value;
            break;
        case Opt::In:
            if (value.empty())
                return fail("--in 缺少文件名");
            o.in = value;
            break;
        case Opt::Out:
            if (value.empty())
                return fail("--out 缺少文件名");
            if (value == "-")
                o.out.reset(); // standard output
            else
                o.out = value;
            break;
        case Opt::Format: {
            static const std::map<std::string, Format> formats = {
                {"txt", Format::Text}, {"html", Format::Html}, {"xml", Format::Xml}, {"json", Format::Json}};
            auto f = formats.find(value);
            if (f == formats.end())
                return fail("--format 的取值 \"" + value + "\" 无效：应为 txt、html、xml 或 json");
            o.format = f->second;
            break;
        }
        case Opt::Concurrency: {
            auto n = intBetween(value, 1, 100000);
            if (!n)
                return fail("--concurrency 的取值 \"" + value + "\" 无效：应为 1 到 100000 的整数");
            o.concurrency = *n;
            break;
        }
        case Opt::Proxy:
            if (!validHostPort(value))
                return fail("--proxy 的取值 \"" + value + "\" 无效：应为 主机:端口，例如 127.0.0.1:3128");
            o.proxy = value;
            break;
        case Opt::Locate:
            o.locate = true;
            break;
        case Opt::Sources:
            if (value.empty())
                return fail("--sources 缺少文件名");
            o.sources = value;
            break;
        case Opt::Judge:
            o.judge = value;
            break;
        case Opt::Marker:
            if (value.empty())
                return fail("--marker 不能为空");
            o.marker = value;
            break;
        case Opt::MarkerBytes: {
            auto n = intBetween(value, 1, (1 << 20));
            if (!n)
                return fail("--marker-bytes 的取值 \"" + value + "\" 无效：应为 1 到 1048576 的整数");
            o.markerBytes = *n;
            break;
        }
        case Opt::Protocols: {
            auto set = parseProtocols(value);
            if (!set)
                return fail("--protocols 的取值 \"" + value +
                            "\" 无效：应为 http、https、socks4、socks5 中的一个或几个，"
                            "以逗号分隔");
            o.protocols = *set;
            break;
        }
        case Opt::Offline:
            o.offline = true;
            break;
        case Opt::Geoip:
            if (value.empty())
                return fail("--geoip 缺少文件名");
            o.geoip = value;
            break;
        case Opt::Interval: {
            auto n = intBetween(value, 1, 86400);
            if (!n)
                return fail("--interval 的取值 \"" + value + "\" 无效：应为 1 到 86400 的秒数");
            o.interval = *n;
            break;
        }
        }
    }
    if ((o.marker || o.markerBytes) && !o.judge)
        return fail("--marker 和 --marker-bytes 要与 --judge 一起使用");
    if (o.markerBytes && !o.marker)
        return fail("--marker-bytes 要与 --marker 一起使用");
    if (o.geoip && !o.offline)
        return fail("--geoip 要与 --offline 一起使用");
    if (o.command == Command::Run && o.offline && !o.locate)
        return fail("--offline 要与 --locate 一起使用");
    if (o.judge) {
        std::string why;
        if (!judgeOf(o).usable(why))
            return fail("--judge：" + why);
    }
    return p;
}

Judge judgeOf(const Options& options)
{
    Judge j;
    j.url = options.judge.value_or(std::string());
    j.rule = options.marker ? Judge::Rule::Marker : Judge::Rule::Echo;
    j.marker = options.marker.value_or(std::string());
    j.markerBytes = static_cast<std::size_t>(options.markerBytes.value_or(120));
    return j;
}

std::string helpText(Command command)
{
    const std::string common =
        "  --format txt|html|xml|json  输出格式（默认 txt；前三种与窗口程序保存的文件逐字节相同，\n"
        "                              json 为 UTF-8，供脚本使用）\n"
        "  --out FILE, -o FILE         结果写入 FILE（默认写到标准输出）；失败时保留原有文件\n"
        "  --help, -h                  显示本帮助\n";
    const std::string groups =
        "  --groups XYZ                来源组：三个 0 或 1，依次为国内、国外、特定网站\n"
        "                              （默认取窗口程序保存的选择，未保存时为 100）\n";
    const std::string sources =
        "  --sources FILE              再从 FILE 列出的来源下载（每行 网址 [协议]）；\n"
        "                              与 --groups 000 一起只用这些来源\n";
    const std::string proxy = "  --proxy HOST:PORT           程序自己的下载经由此代理（默认为系统代理）\n";
    const std::string concurrency =
        "  --concurrency N             快速模式：最多同时进行 N 个检查，不再间隔启动\n"
        "                              （默认与窗口程序相同，每 120 毫秒启动一个）\n";
    const std::string judge =
        "  --judge URL                 检查时访问的网页：回显请求的网页（azenv 或 httpbin "
        "式），每次检查带一个\n"
        "                              新的随机令牌，只有原样返回令牌的代理有效（默认为内置的测试页）\n"
        "  --marker TEXT               与 --judge 一起：改为要求状态 200 且正文开头含有 TEXT\n"
        "  --marker-bytes N            标记须在正文的前 N 个字节内（默认 120）\n"
        "  --protocols LIST            未注明协议的代理依次用这些协议检查：http、https（CONNECT 隧道）、\n"
        "                              socks4、socks5，以逗号分隔（默认 http）；写成 socks5://主机:端口\n"
        "                              的代理只用它自己的协议检查\n";
    const std::string offline =
        "  --offline                   不访问网络，用本机的数据库查询位置：国家来自 geoip-database，\n"
        "                              城市来自 --geoip 指定的 MaxMind 格式数据库；有回显网页给出的\n"
        "                              出口地址时查询出口地址\n"
        "  --geoip FILE                与 --offline 一起：城市数据库（.mmdb）\n";
    const std::string in =
        "  --in FILE                   读取代理列表（每行 地址:端口，或 协议://[用户:密码@]地址:端口）；\n"
        "                              省略或为 - 时读标准输入\n";
    switch (command) {
    case Command::Guard:
        return "用法: vorindaili-cli guard [选项]\n\n"
               "守护代理：把列表中最快的有效代理设为系统代理（已设了系统代理时守护它），每隔一段时间检查一次"
               "；\n"
               "连续两次失败时换为下一个最快的有效代理，每次更换在标准错误写一行；没有有效代理时停用代理并以"
               "\n"
               "状态 1 退出，按 Ctrl-C 以状态 130 退出（系统代理保持不变）。\n\n选项:\n" +
               in +
               "                              也可以是 validate --format json 的结果\n"
               "  --interval S                检查间隔，秒（默认 60）\n"
               "  --help, -h                  显示本帮助\n";
    case Command::Proxy:
        return "用法: vorindaili-cli proxy set 主机:端口 | stop | show\n\n"
               "与窗口程序的按钮相同地设置或停用系统代理（当前用户的 Internet Settings、桌面的代理设置、\n"
               "proxy.env），或显示当前的系统代理。\n\n"
               "  set 主机:端口               把它设为系统代理\n"
               "  stop                        停用系统代理（桌面恢复本程序第一次设置之前的样子）\n"
               "  show                        在标准输出写出当前的系统代理（主机:端口；停用时为空行）\n"
               "  --help, -h                  显示本帮助\n";
    case Command::Harvest:
        return "用法: vorindaili-cli harvest "
               "[选项]\n\n从所选来源下载免费代理列表，输出清理后的列表。\n\n选项:\n" +
               groups + sources + proxy + common;
    case Command::Validate:
        return "用法: vorindaili-cli validate "
               "[选项]\n\n逐个验证列表中的代理，只输出有效的代理，最快的在前。\n\n选项:\n" +
               in + concurrency + judge + common;
    case Command::Locate:
        return "用法: vorindaili-cli locate [选项]\n\n为没有位置的代理查询位置。\n\n选项:\n" + in + proxy +
               offline + common;
    case Command::Run:
        return "用法: vorindaili-cli run [选项]\n\n下载代理列表，然后验证，可选再查询位置。\n\n选项:\n" +
               groups + sources + proxy + concurrency + judge +
               "  --locate                    验证之后为有效的代理查询位置\n" + offline + common;
    case Command::None:
        break;
    }
    return "用法: vorindaili-cli <命令> [选项]\n\n"
           "Vorin智能代理的命令行版本：下载、验证免费 HTTP 代理并查询位置。\n\n"
           "命令:\n"
           "  harvest   从所选来源下载代理列表\n"
           "  validate  验证列表中的每个代理\n"
           "  locate    为没有位置的代理查询位置\n"
           "  run       下载，然后验证（可选查询位置）\n"
           "  proxy     设置、停用或显示系统代理\n"
           "  guard     守护系统代理：失效时换为列表中下一个有效代理\n\n"
           "每个命令的选项见 vorindaili-cli <命令> --help。\n"
           "结果写到标准输出或 --out 文件，进度和错误写到标准错误。\n"
           "退出状态：0 成功，1 运行失败，2 用法错误，130 被中断。\n";
}

} // namespace vorin::cli
