// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <string>

namespace vorin {

// The program's own texts as GBK bytes, built once from the UTF-8 source in texts.cpp. This is the one place
// where constants are converted; everything else compares and concatenates the bytes. Thread-safe to read.
struct Texts {
    // Field names of the proxy table.
    std::string fieldIp;
    std::string fieldPort;
    std::string fieldProtocol;
    std::string fieldLocation;
    std::string fieldValid;
    std::string fieldSpeed;

    // Grid column titles, columns 0 to 6.
    std::string gridTitles[7];

    // Grid marks written by the validation run.
    std::string markValid;
    std::string markFailed;

    // Status texts.
    std::string countPrefix;
    std::string countSuffix;
    std::string currentProxy;
    std::string proxyStopped;
    std::string proxyDisabled;
    // The user's own sources: the harvest's start text, the menu entries, the editor, the file's problems.
    std::string downUser;
    std::string mn04;
    std::string menuEditSources;
    std::string sourcesSaved;
    std::string sourcesSavedEnd;
    std::string sourcesProblem;
    // The judge dialog and what is said of its choice.
    std::string menuJudge;
    std::string judgeUnusable;
    std::string settingsNotSaved; // "设置未能保存：" and why
    std::string judgeBuiltin;
    std::string judgeEcho;
    std::string judgeMarker;
    // The judge pool: the dialog's entry and what is said of it; the run's judge when it is not the
    // built-in test page ("（验证网页：" URL "）" after checkRunning); no judge answering before a run (a
    // reason follows); a judge replaced during a run (old, judgeSwitchedTo, new), or set aside as refusing
    // proxies (old, judgeRefused, its answer, judgeRefusedTo, new); every judge gone during one
    // (judgesLost or judgesRefused, valid count, judgesLostMid, unjudged count, judgesLostEnd); rows every
    // judge refused (checkUnjudgedLocal, count, checkRefusedEnd); the guard's judges silent or refusing.
    std::string judgePool;
    std::string judgeInUse;
    std::string judgeInUseEnd;
    std::string judgesNone;
    std::string judgesEmpty;
    std::string judgesAllOf;
    std::string judgesAllOfEnd;
    std::string judgeSilent;
    std::string judgeStatus;
    std::string judgeNotJudge;
    std::string judgeSwitched;
    std::string judgeSwitchedTo;
    std::string judgeRefused;
    std::string judgeRefusedTo;
    std::string judgesRefused;
    std::string checkRefusedEnd;
    std::string guardJudgesRefuse;
    std::string judgesLost;
    std::string judgesLostMid;
    std::string judgesLostEnd;
    std::string guardNoJudge;
    std::string menuEditJudges;
    std::string judgesSaved;
    std::string judgesProblem;
    // The browser pane's own pages: the home page's reason, the web check's details.
    std::string pageHomeReason;
    std::string pageAsking;
    std::string pageSeenBy;
    std::string pageThrough;
    std::string pageDirect;
    std::string pageSeen;
    std::string pageNoJudge;
    std::string pageUnknown;
    // Their fixed wording: headings, the home page's hint, the web check's labels.
    std::string pageHomeHeading;
    std::string pageHomeHint;
    std::string pageCheckHeading;
    std::string pageCheckAddress;
    std::string pageCheckCountry;
    // The settings (judge) dialog and the editor, in both windows: their fields' labels, choices, hints and
    // buttons.
    std::string dlgJudgePool;
    std::string dlgJudgeSingle;
    std::string dlgUrlHint;
    std::string dlgMarkerHint;
    std::string dlgGeoipHint;
    std::string dlgBrowse;
    std::string dlgGeoipTitle;
    std::string dlgGeoipFilter; // "name|pattern|name|pattern", as the save dialog's filter
    std::string dlgFastZero;
    std::string dlgFastHint;
    std::string dlgGuard;
    std::string dlgSeconds;
    std::string dlgRelay;
    std::string dlgRelayPortHint;
    std::string dlgLabelJudge;
    std::string dlgLabelUrl;
    std::string dlgLabelMarker;
    std::string dlgLabelBytes;
    std::string dlgLabelProtocols;
    std::string dlgLabelGeoip;
    std::string dlgLabelFast;
    std::string dlgLabelGuardSeconds;
    std::string dlgLabelRelayPort;
    std::string dlgOk;
    std::string dlgCancel;
    std::string dlgSave;
    // The end of a harvest: each source's rows ("名称 N 个"), the sources that failed, no rows at all.
    std::string harvestCounts;
    std::string harvestFailed;
    std::string harvestNothing;
    // The offline location: its menu entry, the end of a pass (the count of rows between), its failure.
    std::string menuOffline;
    std::string offlineDone;
    std::string offlineDoneEnd;
    std::string offlineProblem;
    // The row's tooltip: what the checks and the offline location found.
    std::string tipProtocols;
    std::string tipAnonymity;
    std::string tipExit;
    std::string tipCountry;
    std::string anonymityTransparent;
    std::string anonymityAnonymous;
    std::string anonymityElite;
    // The settings dialog's summary of the protocols a bare entry is checked in.
    std::string protocolsChosen;
    // ... and of the checks in flight of a fast run (the count and checkCappedEnd follow).
    std::string fastChosen;
    // A site configuration file that could not be used; the reason follows.
    std::string endpointsError;

    // Source start texts of the harvest.
    std::string downFrom;
    std::string downWait;
    std::string downSiteWait;
    std::string downHaozs;
    std::string downRos;
    std::string downProxylists;
    std::string downAntipalivo;
    std::string downUrl;

    // Validation: status texts and the marker of the test page.
    // A fast run: the cut of its checks in flight to the descriptor limit (the count between), and its
    // progress ("正在验证：已完成 12 / 300，有效 5").
    std::string checkCapped;
    std::string checkCappedEnd;
    // A long import's progress ("正在导入代理：已读入 250000 个"; the count and checkCappedEnd follow).
    std::string importProgress;
    // A long listing at the end of a harvest (the sort and the clean-up), said once.
    std::string listingProgress;
    std::string sortProgress; // the same for a long sort from the list tools
    // At start-up, a desktop whose own proxy is not the one stored (its proxy, or desktopNoProxy, follows).
    std::string desktopDiffers;
    std::string desktopNoProxy;
    // A switch of the system proxy: a part that could not be written (what follows), and a desktop whose
    // own settings cannot hold the proxy's user name and password.
    std::string proxyNotAllSet;
    // The local relay: "本地中转：" host:port " 失败，" then "改用 " host:port or relayNoneLeft; the info
    // text while it carries the connections ("当前代理为：本地中转 → " host:port).
    std::string relayPrefix;
    std::string relayFailed;
    std::string relaySwitched;
    std::string relayNoneLeft;
    std::string relayUsing;
    std::string relayCannotStart;
    std::string relayChosen; // the settings dialog's summary ("，使用本地中转，端口 8899")
    // Its refill: "可用的上游代理只剩 " n " 个，正在从来源补充……",
    // then "补充后上游代理共 " n " 个", each after relayPrefix.
    std::string relayRefilling;
    std::string relayRefillingEnd;
    std::string relayRefilled;
    std::string relayRefilledEnd;
    std::string proxyNotRestored;
    std::string desktopNoCredentials;
    // A proxy the system proxy cannot carry itself (SOCKS5, or credentials, on Windows), put through the
    // relay ("…经本地中转使用 " host:port), and the relay's command for the command line.
    std::string relayForSystem;
    // After a run's summary: rows this machine could not check (an IPv6 proxy without IPv6 here), kept
    // without a verdict ("另有 " N " 个代理…").
    std::string checkUnjudgedLocal;
    std::string checkUnjudgedLocalEnd;
    std::string relayForSystemCli;
    // At start-up, a system proxy left pointing at a relay that no longer runs, put back.
    std::string relayLeftover;
    // The guard: "守护代理：" host:port " 两次检查失败，" then "已换为 " host:port or the stop.
    std::string guardPrefix;
    std::string guardFailed;
    std::string guardSwitched;
    std::string guardStopped;
    std::string guardChosen; // the settings dialog's summary ("，守护代理每 60 秒检查一次")
    std::string guardChosenEnd;
    std::string progressDone;
    std::string progressValid;
    std::string progressCapped;
    std::string checkStarting;
    std::string checkRunning;
    std::string checkEnded;
    std::string summaryPrefix;
    std::string summarySuffix;
    std::string lookupMarker;

    // System proxy, web check and start-page offer.
    std::string invalidProxy;
    std::string officialSite;
    std::string startPageAsk;
    std::string startPageAskEnd;
    std::string startPageStatus;
    std::string startPageStatusEnd;

    // Proxy list files and the location lookup.
    std::string exportHeader;
    std::string unknownLocation;
    std::string htmlTitleUtf8; // the one text written as UTF-8: the HTML export's title
    std::string htmlHeadings;
    std::string saveFilter;
    std::string cannotCreate;
    std::string cannotWrite;
    std::string cannotRead;
    std::string lookingUp;
    std::string lookupMarker2;
    std::string fullColon;

    // Markers of the list-page discovery and the haozs pages.
    std::string markerAdmin;
    std::string markerSooip;
    std::string haozsPinned;

    // Window captions.
    std::string layoutTitle;
    std::string title;
    std::string statusBarCaption;
    std::string panel3Caption;
    std::string infoCaption;

    // Menu entries of popsvr (mn01 to mn03) and popset.
    std::string mn01;
    std::string mn02;
    std::string mn03;
    std::string menuGetCity;
    std::string menuSort;
    std::string menuSortLocation;
    std::string menuSortSpeed;
    std::string menuDelete;
    std::string menuImport;

    // Tooltips of the toolbar buttons, in toolbar order.
    std::string hintDownload;
    std::string hintCheck;
    std::string hintStopCheck;
    std::string hintSetProxy;
    std::string hintStopProxy;
    std::string hintSettings;
    std::string hintSave;
    std::string hintWebCheck;
    std::string hintHome;
};

// The texts of the language messages are said in (data such as field names, grid marks, export headers
// and page markers are the same in both).
const Texts& texts();

// The language of messages. The window always speaks Chinese; the command-line program speaks English
// outside a Chinese locale and chooses once, before any thread starts.
enum class Language {
    Chinese,
    English,
};
void setMessageLanguage(Language language);
Language messageLanguage();

// The message language of a locale as gettext picks it: the first of LC_ALL, LC_MESSAGES and LANG that is
// set; LANGUAGE's first entry before it unless that locale is C or POSIX. Chinese for zh and zh_*.
// Arguments may be null (unset).
Language localeLanguage(const char* lcAll, const char* lcMessages, const char* lang, const char* language);
// The same for this process's environment.
Language environmentLanguage();

// A message (UTF-8) in the message language, for the reasons services give in their own words.
std::string say(std::string chinese, std::string english);

} // namespace vorin
