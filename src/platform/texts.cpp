// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/texts.h"

#include "platform/gbk.h"

namespace vorin {
namespace {

std::string g(const char* utf8)
{
    return gbk::fromUtf8(utf8);
}

Texts build()
{
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

    t.countPrefix = g("共有");
    t.countSuffix = g("个代理");
    t.currentProxy = g("当前代理为：");
    t.proxyStopped = g("当前代理为：停用");
    t.proxyDisabled = g("当前代理为：禁用");

    t.downFrom = g("正在从");
    t.downWait = g("下载，请稍候...");
    t.downSiteWait = g("网站下载，请稍候...");
    t.downHaozs = g("正在从haozs下载，请稍候...");
    t.downRos = g("正在从rosinstrument网站下载，请稍候...");
    t.downProxylists = g("正在从proxylists网站下载，请稍候...");
    t.downAntipalivo = g("正在从antipalivo下载，请稍候...");
    t.downUrl = g("正在从特定网站下载地址，请稍候...");

    t.checkStarting = g("正在验证，请稍候...");
    t.checkRunning = g("正在验证，请稍候……");
    t.checkEnded = g("验证结束……");
    t.summaryPrefix = g(" 验证结束,共有");
    t.summarySuffix = g("代理可用！");
    t.lookupMarker = g("您的IP地址");

    t.invalidProxy = g("此代理无效 ");
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
    t.cannotCreate = g("无法创建文件 ");
    t.cannotWrite = g("无法写入文件 ");
    t.cannotRead = g("无法读取文件 ");
    t.lookingUp = g("正在获取地址：");
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
    t.endpointsError = g("站点配置文件有误，已使用默认站点：");
    t.downUser = g("正在从自定义来源下载代理列表，请稍候...");
    t.mn04 = g("自定义来源");
    t.menuEditSources = g("编辑自定义来源...");
    t.sourcesSaved = g("自定义来源已保存，共有来源 ");
    t.sourcesSavedEnd = g(" 个");
    t.sourcesProblem = g("自定义来源文件有误：");
    t.menuJudge = g("验证网页设置...");
    t.judgeUnusable = g("验证网页设置无效：");
    t.judgeBuiltin = g("验证网页：内置测试页");
    t.judgeEcho = g("验证网页（回显令牌）：");
    t.judgeMarker = g("验证网页（标记）：");
    t.menuOffline = g("离线查询位置");
    t.offlineDone = g("离线查询位置结束，共查询 ");
    t.offlineDoneEnd = g(" 个代理");
    t.offlineProblem = g("无法离线查询位置：");
    t.protocolsChosen = g("，检查协议：");
    t.fastChosen = g("，同时检查 ");
    t.checkCapped = g("系统可打开的文件数有限，同时检查的代理减为 ");
    t.checkCappedEnd = g(" 个");
    t.importProgress = g("正在导入代理：已读入 ");
    t.listingProgress = g("正在整理代理列表……");
    t.sortProgress = g("正在排序……");
    t.desktopDiffers = g("桌面的代理设置与本程序保存的不同，桌面现为：");
    t.desktopNoProxy = g("不使用代理");
    t.guardPrefix = g("守护代理：");
    t.guardFailed = g(" 两次检查失败，");
    t.guardSwitched = g("已换为 ");
    t.guardStopped = g("无其他有效代理，已停用");
    t.guardChosen = g("，守护代理每 ");
    t.guardChosenEnd = g(" 秒检查一次");
    t.progressDone = g("正在验证：已完成 ");
    t.progressValid = g("，有效 ");
    t.progressCapped = g("，同时检查（受系统限制）");
    t.tipProtocols = g("通过的协议：");
    t.tipAnonymity = g("匿名程度：");
    t.tipExit = g("出口地址：");
    t.tipCountry = g("国家或地区：");
    t.anonymityTransparent = g("透明");
    t.anonymityAnonymous = g("匿名");
    t.anonymityElite = g("高匿");
    return t;
}

} // namespace

const Texts& texts()
{
    static const Texts instance = build();
    return instance;
}

} // namespace vorin
