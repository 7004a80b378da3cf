// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/texts.h"

#include "platform/process.h"

#include "platform/gbk.h"

#include <atomic>
#include <cstdlib>
#include <string_view>

namespace vorin {
namespace {

std::string g(const char* utf8)
{
    return gbk::fromUtf8(utf8);
}

Texts build(Language language)
{
    // m: a message, said in the language; g: data, the same in both.
    auto m = [language](const char* chinese, const char* english) {
        return g(language == Language::English ? english : chinese);
    };
    Texts t;
    t.fieldIp = g("IP地址");
    t.fieldPort = g("端口");
    t.fieldProtocol = g("协议");
    t.fieldLocation = g("位置");
    t.fieldValid = g("验证");
    t.fieldSpeed = g("速度");

    t.gridTitles[0] = g("序号");
    t.gridTitles[1] = g(" IP地址");
    t.gridTitles[2] = g(" 端口");
    t.gridTitles[3] = g("协议");
    t.gridTitles[4] = g("位置");
    t.gridTitles[5] = g("验证");
    t.gridTitles[6] = g("速度(ms)");

    t.markValid = g("√");
    t.markFailed = g("⊙");

    t.countPrefix = m("共有", "Proxies in the list: ");
    t.countSuffix = m("个代理", "");
    t.currentProxy = m("当前代理为：", "Current proxy: ");
    t.proxyStopped = m("当前代理为：停用", "Current proxy: off");
    t.proxyDisabled = m("当前代理为：禁用", "Current proxy: disabled");

    t.downFrom = m("正在从", "Downloading from ");
    t.downWait = m("下载，请稍候...", ", please wait...");
    t.downSiteWait = m("网站下载，请稍候...", ", please wait...");
    t.downHaozs = m("正在从haozs下载，请稍候...", "Downloading from haozs, please wait...");
    t.downRos = m("正在从rosinstrument网站下载，请稍候...", "Downloading from rosinstrument, please wait...");
    t.downProxylists =
        m("正在从proxylists网站下载，请稍候...", "Downloading from proxylists, please wait...");
    t.downAntipalivo = m("正在从antipalivo下载，请稍候...", "Downloading from antipalivo, please wait...");
    t.downUrl = m("正在从特定网站下载地址，请稍候...",
                  "Downloading addresses from the special sites, please wait...");

    t.checkStarting = m("正在验证，请稍候...", "Validating, please wait...");
    t.checkRunning = m("正在验证，请稍候……", "Validating, please wait...");
    t.checkEnded = m("验证结束……", "Validation finished...");
    t.summaryPrefix = m(" 验证结束,共有", " Validation finished: ");
    t.summarySuffix = m("代理可用！", " proxies work!");
    t.lookupMarker = g("您的IP地址");

    t.invalidProxy = m("此代理无效 ", "This proxy does not work ");
    t.officialSite = g("官方网站:");
    t.startPageAsk = g(" 将主页设置为");
    t.startPageAskEnd = g("将会获得更多功能，是否设置为主页？");
    t.startPageStatus = g("将首页设置为:");
    t.startPageStatusEnd = g("，你将获得更多功能");

    t.exportHeader = g("Vorin智能代理最新验证:");
    t.unknownLocation = g("未知");
    t.htmlTitleUtf8 = "Vorin智能代理最新验证，   时间：";
    t.htmlHeadings = g("<tr><td>IP:端口</td><td>速度(ms)</td></tr>");
    t.saveFilter = g("*.txt|*.txt|*.html|*.html|XML文件|*.xml");
    t.cannotCreate = m("无法创建文件 ", "Cannot create file ");
    t.cannotWrite = m("无法写入文件 ", "Cannot write file ");
    t.cannotRead = m("无法读取文件 ", "Cannot read file ");
    t.lookingUp = m("正在获取地址：", "Looking up the location: ");
    t.lookupMarker2 = g("<td align=\"center\"><ul class=\"ul1\"><li>本站主数据");
    t.fullColon = g("：");

    t.markerAdmin = g("<h3><span class=\"boxhead\">最新更新资源</span><span class=\"morelinks\">");
    t.markerSooip = g("<h3>资讯列表</h3>");
    t.haozsPinned = g("顶");

    t.layoutTitle = g("Vorin智能代理");
    t.title = g("Vorin智能代理 V5.0");
    t.statusBarCaption = g("Vorin浏览器－－拦截广告效果最好的浏览器");
    t.panel3Caption = "imagepanle3";
    t.infoCaption = "Lbinfo";

    t.mn01 = g("从国内网站下载");
    t.mn02 = g("从国外网站下载");
    t.mn03 = g("从特定网站下载");
    t.menuGetCity = g("获取地理位置");
    t.menuSort = g("排序");
    t.menuSortLocation = g("按位置排序");
    t.menuSortSpeed = g("按速度排序");
    t.menuDelete = g("删除所选");
    t.menuImport = g("导入代理");

    t.hintDownload = g("下载并验证（右击仅下载列表）");
    t.hintCheck = g("验证有效性");
    t.hintStopCheck = g("停止验证");
    t.hintSetProxy = g("设置为当前代理");
    t.hintStopProxy = g("停止代理（禁用代理）");
    t.hintSettings = g("软件设置");
    t.hintSave = g("保存代理列表");
    t.hintWebCheck = g("网页验证");
    t.hintHome = g("访问主页（查看说明）");
    t.endpointsError = m("站点配置文件有误，已使用默认站点：",
                         "The site configuration file is faulty; the default sites are used: ");
    t.downUser = m("正在从自定义来源下载代理列表，请稍候...",
                   "Downloading proxy lists from your own sources, please wait...");
    t.mn04 = g("自定义来源");
    t.menuEditSources = g("编辑自定义来源...");
    t.sourcesSaved = m("自定义来源已保存，共有来源 ", "Your sources were saved: ");
    t.sourcesSavedEnd = m(" 个", " sources");
    t.sourcesProblem = m("自定义来源文件有误：", "Problem in your sources file: ");
    t.menuJudge = g("验证网页设置...");
    t.judgeUnusable = m("验证网页设置无效：", "The judge page setting cannot be used: ");
    t.settingsNotSaved = m("设置未能保存：", "The settings could not be saved: ");
    t.judgeBuiltin = m("验证网页：内置测试页", "Judge page: the built-in test page");
    t.judgeEcho = m("验证网页（回显令牌）：", "Judge page (echoes a token): ");
    t.judgeMarker = m("验证网页（标记）：", "Judge page (marker): ");
    t.judgePool = m("验证网页：自动（验证网页列表）", "Judge page: automatic (the judges list)");
    t.judgeInUse = m("（验证网页：", " (judge: ");
    t.judgeInUseEnd = m("）", ")");
    t.judgesNone = m("没有可用的验证网页，未验证", "No judge page answers; nothing was checked");
    t.judgesAllOf = m("，共 ", "; all ");
    t.judgesAllOfEnd = m(" 个都不可用", " unusable");
    t.judgesEmpty = m("验证网页列表中没有网页", "the judges list holds no judge");
    t.judgeSilent = m("没有回答", "no answer");
    t.judgeStatus = m("回答状态 ", "answered status ");
    t.judgeNotJudge = m("回答的不是验证网页", "its answer is not the judge's page");
    t.judgeSwitched = m("验证网页 ", "Judge page ");
    t.judgeSwitchedTo = m(" 不再回答，改用 ", " stopped answering; now using ");
    t.judgeRefused = m(" 拒绝经代理的访问（", " refuses requests through proxies (");
    t.judgeRefusedTo = m("），改用 ", "); now using ");
    t.judgesRefused = m("验证网页都拒绝经代理的访问或不再回答，验证中止：共有",
                        "Every judge page refuses requests through proxies or stopped answering; validation "
                        "ended: ");
    t.checkRefusedEnd = m(" 个代理被验证网页拒绝访问，未能验证，已保留",
                          " proxies were refused by the judge pages; they could not be checked and are kept");
    t.guardJudgesRefuse = m("验证网页都拒绝经代理的访问，本次检查不算",
                            "every judge page refuses requests through proxies; this check does not count");
    t.judgesLost =
        m("验证网页都不再回答，验证中止：共有", "Every judge page stopped answering; validation ended: ");
    t.judgesLostMid = m("代理可用，", " proxies work, ");
    t.judgesLostEnd = m("个代理未能验证，已保留", " could not be checked and were kept");
    t.guardNoJudge =
        m("验证网页都没有回答，本次检查不算", "no judge page answers; this check does not count");
    t.menuEditJudges = g("编辑验证网页列表...");
    t.judgesSaved = m("验证网页列表已保存，共有验证网页 ", "The judges list was saved: ");
    t.judgesProblem = m("验证网页列表有误：", "Problem in your judges list: ");
    t.pageHomeReason = g("主页暂时无法访问（网络不通，或当前代理已失效）。");
    t.pageAsking = g("主页的地址网页无法打开，正在通过当前代理询问验证网页……");
    t.pageSeenBy = g("以上是验证网页 ");
    t.pageThrough = g(" 通过当前代理 ");
    t.pageDirect = g(" 在不使用代理时");
    t.pageSeen = g("看到的。");
    t.pageNoJudge = g("没有验证网页回答：当前代理可能已失效，或网络不通。");
    t.pageUnknown = g("未知");
    t.pageHomeHeading = g("无法打开主页");
    t.pageHomeHint =
        g("下载代理请点“下载并验证”。代理来源和验证网页列在设置目录中的 sources.txt 和 judges.txt "
          "里（列表工具菜单中也可以编辑）。");
    t.pageCheckHeading = g("网页验证");
    t.pageCheckAddress = g("外界看到的访问地址：");
    t.pageCheckCountry = g("国家或地区：");
    t.dlgJudgePool = g("自动（验证网页列表）");
    t.dlgJudgeSingle = g("指定的验证网页（下面的网址，留空为内置测试页）");
    t.dlgUrlHint = g("留空：内置测试页（查找“您的IP地址”）");
    t.dlgMarkerHint = g("留空：回显规则（网页须原样返回随机令牌）");
    t.dlgGeoipHint = g("留空：只查国家（系统自带的国家数据库）");
    t.dlgBrowse = g("浏览...");
    t.dlgGeoipTitle = g("城市数据库");
    t.dlgGeoipFilter = g("MaxMind 数据库|*.mmdb|所有文件|*");
    t.dlgFastZero = g("0（逐个启动，每 120 毫秒一个）");
    t.dlgFastHint = g("大于 0 时快速验证：同时最多检查这么多个代理，结果与逐个验证相同");
    t.dlgGuard = g("守护代理：定时检查当前代理，失效时换为下一个最快的有效代理");
    t.dlgSeconds = g(" 秒");
    t.dlgRelay = g("使用本地中转：经由本机的中转使用代理，代理失效时自动换用下一个");
    t.dlgRelayPortHint = g("本地中转只在本机的回环地址（127.0.0.1）上监听");
    t.dlgLabelJudge = g("验证网页：");
    t.dlgLabelUrl = g("网址：");
    t.dlgLabelMarker = g("标记文字：");
    t.dlgLabelBytes = g("标记须在前多少字节内：");
    t.dlgLabelProtocols = g("未注明协议的代理检查：");
    t.dlgLabelGeoip = g("城市数据库（MaxMind 格式）：");
    t.dlgLabelFast = g("同时检查的代理数：");
    t.dlgLabelGuardSeconds = g("守护代理的检查间隔：");
    t.dlgLabelRelayPort = g("本地中转的端口：");
    t.dlgOk = g("确定");
    t.dlgCancel = g("取消");
    t.dlgSave = g("保存");
    t.harvestCounts = m("，各来源：", "; by source: ");
    t.harvestFailed = m("；无法下载：", "; could not download: ");
    t.harvestNothing = m("下载结束，没有得到代理", "The download ended without proxies");
    t.menuOffline = g("离线查询位置");
    t.offlineDone = m("离线查询位置结束，共查询 ", "Offline location finished: ");
    t.offlineDoneEnd = m(" 个代理", " proxies looked up");
    t.offlineProblem = m("无法离线查询位置：", "Cannot look up locations offline: ");
    t.protocolsChosen = m("，检查协议：", ", protocols checked: ");
    t.fastChosen = m("，同时检查 ", ", checks at once: ");
    t.checkCapped = m("系统可打开的文件数有限，同时检查的代理减为 ",
                      "The system allows only so many open files; checks at once reduced to ");
    t.checkCappedEnd = m(" 个", "");
    t.importProgress = m("正在导入代理：已读入 ", "Importing proxies: read ");
    t.listingProgress = m("正在整理代理列表……", "Sorting the proxy list...");
    t.sortProgress = m("正在排序……", "Sorting...");
    t.desktopDiffers =
        m("桌面的代理设置与本程序保存的不同，桌面现为：",
          "The desktop's proxy setting differs from the one this program saved; the desktop now has: ");
    t.desktopNoProxy = m("不使用代理", "no proxy");
    t.relayPrefix = m("本地中转：", "Local relay: ");
    t.relayFailed = m(" 失败，", " failed, ");
    t.relaySwitched = m("改用 ", "now through ");
    t.relayNoneLeft = m("没有可用的上游代理，请求被拒绝（不会直接连接）",
                        "no upstream proxy is left; requests are refused (never sent directly)");
    t.relayUsing = m("当前代理为：本地中转 → ", "Current proxy: local relay → ");
    t.relayChosen = m("，使用本地中转，端口 ", ", through the local relay on port ");
    t.relayCannotStart = m("本地中转无法启动：", "The local relay cannot start: ");
    t.relayRefilling = m("可用的上游代理只剩 ", "only ");
    t.relayRefillingEnd = m(" 个，正在从来源补充……", " upstream proxies work; refilling from the sources...");
    t.relayRefilled = m("补充后上游代理共 ", "");
    t.relayRefilledEnd = m(" 个", " upstream proxies after the refill");
    t.proxyNotAllSet = m("系统代理未能全部设置：", "The system proxy could not be set everywhere: ");
    t.proxyNotRestored =
        m("桌面原来的代理设置未能恢复，下次停用时再试：",
          "The desktop's earlier proxy settings could not be put back; stopping tries again: ");
    t.desktopNoCredentials =
        m("桌面的代理设置不能保存此代理的用户名和密码，只有 proxy.env 带有它们",
          "The desktop's proxy settings cannot hold this proxy's user name and password; "
          "only proxy.env carries them");
    t.relayForSystem = m("系统代理不能使用 SOCKS5 代理或带密码的代理，已经由本地中转使用 ",
                         "The system proxy cannot use a SOCKS5 proxy or one with a password; the local relay "
                         "carries it: ");
    t.relayForSystemCli =
        m("系统代理不能使用 SOCKS5 代理或带密码的代理；请经本地中转使用它：relay --system --in 列表文件",
          "the system proxy cannot use a SOCKS5 proxy or one with a password; use it through the local "
          "relay: relay --system --in LIST");
    t.checkUnjudgedLocal = m("另有 ", "Besides, ");
    t.checkUnjudgedLocalEnd =
        m(" 个代理无法从本机检查（例如本机没有 IPv6），已保留，未作判断",
          " proxies could not be checked from this machine (it has no IPv6, for one) and are "
          "kept unjudged");
    t.relayLeftover =
        m("系统代理仍指向已退出的本地中转，已恢复原来的代理设置",
          "The system proxy still pointed at a local relay that is no longer running; the earlier "
          "proxy settings are back");
    t.guardPrefix = m("守护代理：", "Proxy guard: ");
    t.guardFailed = m(" 两次检查失败，", " failed two checks in a row, ");
    t.guardSwitched = m("已换为 ", "switched to ");
    t.guardStopped = m("无其他有效代理，已停用", "no other valid proxy is left, the proxy is off");
    t.guardChosen = m("，守护代理每 ", ", the proxy guard checks every ");
    t.guardChosenEnd = m(" 秒检查一次", " s");
    t.progressDone = m("正在验证：已完成 ", "Validating: done ");
    t.progressValid = m("，有效 ", ", valid ");
    t.progressCapped = m("，同时检查（受系统限制）", ", checks at once (system limit): ");
    t.tipProtocols = g("通过的协议：");
    t.tipAnonymity = g("匿名程度：");
    t.tipExit = g("出口地址：");
    t.tipCountry = g("国家或地区：");
    t.anonymityTransparent = g("透明");
    t.anonymityAnonymous = g("匿名");
    t.anonymityElite = g("高匿");
    return t;
}

std::atomic<Language> chosen{Language::Chinese};

bool chineseLocale(std::string_view locale)
{
    return locale == "zh" || locale.starts_with("zh_") || locale.starts_with("zh.") ||
           locale.starts_with("zh@");
}

} // namespace

const Texts& texts()
{
    if (messageLanguage() == Language::English) {
        static const Texts english = build(Language::English);
        return english;
    }
    static const Texts chinese = build(Language::Chinese);
    return chinese;
}

void setMessageLanguage(Language language)
{
    chosen.store(language, std::memory_order_relaxed);
}

Language messageLanguage()
{
    return chosen.load(std::memory_order_relaxed);
}

Language localeLanguage(const char* lcAll, const char* lcMessages, const char* lang, const char* language)
{
    std::string_view locale;
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value && *value) {
            locale = value;
            break;
        }
    }
    // gettext's priority list counts only where a locale other than C is in force.
    if (!locale.empty() && locale != "C" && !locale.starts_with("C.") && locale != "POSIX" && language &&
        *language) {
        const std::string_view list = language;
        return chineseLocale(list.substr(0, list.find(':'))) ? Language::Chinese : Language::English;
    }
    return chineseLocale(locale) ? Language::Chinese : Language::English;
}

Language environmentLanguage()
{
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"};
    bool set = false;
    for (const char* name : names) {
        const char* v = std::getenv(name);
        set = set || (v && *v);
    }
    // Windows says its language itself; its users rarely have the variables (Wine passes them on).
    if (const std::optional<bool> chinese = process::chineseUserInterface(); chinese && !set)
        return *chinese ? Language::Chinese : Language::English;
    return localeLanguage(std::getenv(names[0]), std::getenv(names[1]), std::getenv(names[2]),
                          std::getenv(names[3]));
}

std::string say(std::string chinese, std::string english)
{
    return messageLanguage() == Language::English ? std::move(english) : std::move(chinese);
}

} // namespace vorin
