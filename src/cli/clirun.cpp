// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "cli/clirun.h"

#include "files/jsonexport.h"
#include "files/proxyfiles.h"
#include "platform/atomicfile.h"
#include "platform/download.h"
#include "platform/gbk.h"
#include "platform/localtime.h"
#include "platform/process.h"
#include "platform/texts.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace vorin::cli {
namespace {

std::string oneDecimal(double value)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", value);
    return buf;
}

} // namespace

bool outputWritable(const std::string& path, std::string& why)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path p = process::argumentPath(path);
    if (fs::is_directory(p, ec)) {
        why = say("是一个文件夹", "is a folder");
        return false;
    }
    fs::path dir = p.parent_path();
    if (dir.empty())
        dir = ".";
    if (!fs::is_directory(dir, ec)) {
        why = say("文件夹 " + process::argumentText(dir) + " 不存在",
                  "folder " + process::argumentText(dir) + " does not exist");
        return false;
    }
    if (!process::folderWritable(dir)) {
        why = say("文件夹 " + process::argumentText(dir) + " 不可写：",
                  "folder " + process::argumentText(dir) + " is not writable: ") +
              std::strerror(errno);
        return false;
    }
    return true;
}

CliRunner::CliRunner(Options options, Dispatcher& dispatcher, Clock& clock, Reporter& reporter,
                     Endpoints endpoints, std::optional<TempPaths> paths)
    : options_(std::move(options))
    , dispatcher_(dispatcher)
    , reporter_(reporter)
    , view_(reporter)
    , form_(view_, dispatcher, clock, std::move(endpoints), std::move(paths))
{
}

double CliRunner::elapsedSeconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - phaseStart_).count();
}

bool CliRunner::waitUntil(const std::function<bool()>& done)
{
    while (!done()) {
        if (interrupted_)
            return false;
        dispatcher_.waitMessages(std::chrono::milliseconds(200));
    }
    return true;
}

int CliRunner::run()
{
    if (options_.out) {
        std::string why;
        if (!outputWritable(*options_.out, why)) {
            reporter_.error(say("无法写入 --out ", "cannot write --out ") + *options_.out + say("：", ": ") +
                            why);
            return kExitFailed;
        }
    }
    for (const auto& [file, option] :
         {std::pair{&options_.sources, "--sources "}, {&options_.judges, "--judges "}}) {
        std::error_code ec;
        if (*file && !std::filesystem::is_regular_file(process::argumentPath(**file), ec)) {
            reporter_.error(say("无法读取 ", "cannot read ") + option + **file);
            return kExitFailed;
        }
    }
    form_.init();
    // The process proxy was read from the settings store; --proxy takes its place for this run.
    if (options_.proxy)
        download::setProcessProxy(*options_.proxy);

    bool ok = true;
    switch (options_.command) {
    case Command::Harvest:
        ok = harvest();
        break;
    case Command::Validate:
        if (!load())
            return kExitFailed;
        ok = validate();
        break;
    case Command::Locate:
        if (!load())
            return kExitFailed;
        if (!locate())
            return kExitFailed;
        break;
    case Command::Run:
        ok = harvest() && validate();
        if (ok && options_.locate && !interrupted_ && !locate())
            return kExitFailed;
        break;
    case Command::Guard:
        if (!load())
            return kExitFailed;
        return guard();
    case Command::Relay:
        // With sources and no list the relay harvests its first upstreams.
        if ((options_.in || !options_.sources) && !load())
            return kExitFailed;
        return relay();
    case Command::Proxy: // needs no run: see proxyCommand
    case Command::None:
        return kExitUsage;
    }
    phase_ = Phase::Done;
    reporter_.finish();
    if (!ok)
        return interrupted_ ? kExitInterrupted : kExitFailed;
    const int written = write();
    if (written != kExitOk)
        return written;
    return interrupted_ ? kExitInterrupted : judgesLost_ ? kExitFailed : kExitOk;
}

bool CliRunner::harvest()
{
    form_.startcoordinator();
    form_.listinsteps = false; // no window to keep alive: the listing goes at once, in less memory
    tdaili& coordinator = *form_.coordinator();
    form_.downoption = options_.groups ? *options_.groups : form_.readdownoption();
    form_.refeshmemu();
    // The user's sources: those of --sources, or with no --groups the stored mark of the menu entry.
    if (options_.sources)
        form_.sourcesfile = process::argumentPath(*options_.sources);
    view_.setChecked(MenuEntry::Mn04,
                     options_.sources.has_value() || (!options_.groups && view_.isChecked(MenuEntry::Mn04)));
    // The domestic group's last source and the specific-site group take their pages from the discovery;
    // they start only once it has ended, so that its lists are complete.
    if (view_.isChecked(MenuEntry::Mn01) || view_.isChecked(MenuEntry::Mn03)) {
        phase_ = Phase::Discovery;
        phaseStart_ = std::chrono::steady_clock::now();
        if (!waitUntil([&] { return coordinator.backgroundcount == 0; }))
            return false;
    }
    phase_ = Phase::Harvest;
    phaseStart_ = std::chrono::steady_clock::now();
    form_.actdownExecute();
    if (!waitUntil([&] { return coordinator.threadcount == 0; }))
        return false;
    for (const SourceWorker::Tally& t : coordinator.tallies)
        reporter_.note(say("来源 ", "source ") + t.name + say("：", ": ") +
                       (t.failed ? say("无法下载", "could not be downloaded")
                                 : say(std::to_string(t.rows) + " 个", std::to_string(t.rows) + " rows")));
    return true;
}

bool CliRunner::validate()
{
    if (interrupted_)
        return false;
    phase_ = Phase::Validate;
    phaseStart_ = std::chrono::steady_clock::now();
    usejudges();
    if (options_.protocols)
        form_.checkprotocols = *options_.protocols;
    // The pacing is the options' alone, whatever the window stored: --concurrency N or the 120 ms pause.
    form_.setfastchecks(options_.concurrency);
    form_.btncheckproxyExecute();
    // A stop ends the run through its own completions; the valid rows found until then are the result.
    while (!form_.checkdone())
        dispatcher_.waitMessages(std::chrono::milliseconds(200));
    switch (form_.run() ? form_.run()->outcome() : ValidationRun::Outcome::Judged) {
    case ValidationRun::Outcome::Judged:
        return true;
    case ValidationRun::Outcome::NoJudge:
        return false; // the status line said why; no result is written
    case ValidationRun::Outcome::JudgesLost:
        break;
    }
    // The result lists the proxies found valid; those no judge could check are left out, and the run
    // counts as failed.
    judgesLost_ = true;
    ProxyTable& table = form_.table();
    std::vector<ProxyTable::Bookmark> unjudged;
    table.open();
    for (bool more = table.first(); more; more = table.next()) {
        if (table.current().mark != CheckMark::Valid)
            unjudged.push_back(*table.bookmark());
    }
    for (const ProxyTable::Bookmark mark : unjudged) {
        if (table.gotoBookmark(mark))
            table.deleteCurrent();
    }
    return true;
}

void CliRunner::usejudges()
{
    // --judge names the one judge; otherwise the judges list, --judges or the store's.
    form_.judgeauto = !options_.judge;
    if (options_.judge)
        form_.judge = judgeOf(options_);
    if (options_.judges)
        form_.judgesfile = process::argumentPath(*options_.judges);
}

bool CliRunner::locate()
{
    phase_ = Phase::Locate;
    if (!options_.offline) {
        form_.mngetcityExecute();
        return true;
    }
    form_.geoipfile = options_.geoip.value_or(std::string());
    std::string why;
    if (form_.mnofflinecityExecute(&why))
        return true;
    reporter_.error(gbk::toUtf8(texts().offlineProblem) + why);
    return false;
}

bool CliRunner::load()
{
    if (options_.in && *options_.in != "-") {
        std::ifstream probe(process::argumentPath(*options_.in), std::ios::binary);
        std::error_code ec;
        if (!probe || std::filesystem::is_directory(process::argumentPath(*options_.in), ec)) {
            reporter_.error(say("无法读取 --in ", "cannot read --in ") + *options_.in + say("：", ": ") +
                            (probe ? say("是一个文件夹", "is a folder") : std::string(std::strerror(errno))));
            return false;
        }
        probe.close();
    }
    std::string bytes;
    if (options_.in && *options_.in != "-") {
        if (IoResult r = proxyfiles::readList(process::argumentPath(*options_.in), bytes); !r) {
            reporter_.error(gbk::toUtf8(r.message));
            return false;
        }
    } else {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) {
            reporter_.error(say("无法读取标准输入", "cannot read standard input"));
            return false;
        }
    }
    // The program's own JSON (validate --format json) is read as such; everything else as a list.
    const std::size_t start = bytes.find_first_not_of(" \t\r\n");
    if (start == std::string::npos || bytes[start] != '[' || !proxyfiles::importJson(form_.table(), bytes))
        form_.importbytes(bytes);
    form_.showingrid();
    return true;
}

int CliRunner::guard()
{
    usejudges();
    // The list's rows are the guard's candidates, in the list's order (validate writes the fastest first):
    // a list carries no verdict of its own.
    form_.table().updateMarks([](const ProxyRecord&, CheckMark& mark) { mark = CheckMark::Valid; });
    ProxyGuard& g = form_.guard();
    g.on = true;
    g.intervalSeconds = options_.interval;
    // Off a terminal every status text is a line of its own already; on one, the guard's stay on the screen.
    form_.onguard = [this](const std::string& text) {
        if (reporter_.terminal())
            reporter_.error(gbk::toUtf8(text));
    };
    // With no system proxy set, the list's fastest valid proxy becomes it.
    if (form_.getproxy().empty()) {
        const std::optional<ProxyEntry> first = g.nextProxy();
        if (!first) {
            reporter_.error(say("列表中没有有效的代理", "the list holds no valid proxy"));
            return kExitFailed;
        }
        form_.startproxy(*first); // says so in its status text
    }
    while (!interrupted_ && !g.stopped()) {
        form_.guardtick();
        dispatcher_.waitMessages(std::chrono::milliseconds(200));
    }
    return interrupted_ ? kExitInterrupted : kExitFailed;
}

std::vector<ProxyEntry> CliRunner::upstreamsOfTable()
{
    // The list's rows in its order (validate writes the fastest first), each in the protocol it is best
    // used in, with its credentials.
    std::vector<ProxyEntry> upstreams;
    form_.table().forEach([&](std::size_t, const ProxyRecord& r) {
        ProxyEntry e = proxyOf(r);
        if (e.endpoint.valid())
            upstreams.push_back(std::move(e));
    });
    return upstreams;
}

bool CliRunner::refill()
{
    // The sources harvested into the table, then every row validated: the rows left are those that work
    // now, the list's old ones that still do among them, fastest first.
    return harvest() && validate() && !interrupted_;
}

int CliRunner::relay()
{
    usejudges();
    const bool refills = options_.sources.has_value();
    if (refills && form_.table().isEmpty()) {
        reporter_.error(say("本地中转：正在从来源获取上游代理……",
                            "local relay: harvesting upstream proxies from the sources..."));
        if (!refill() && interrupted_)
            return kExitInterrupted;
    }
    std::vector<ProxyEntry> upstreams = upstreamsOfTable();
    if (upstreams.empty() && !refills) {
        reporter_.error(say("列表中没有有效的代理", "the list holds no valid proxy"));
        return kExitFailed;
    }
    const relay::Rotate rotate = options_.rotate == RelayRotate::Connection ? relay::Rotate::Connection
                                 : options_.rotate == RelayRotate::Host     ? relay::Rotate::Host
                                                                            : relay::Rotate::Fastest;
    // Off a terminal every status text is a line of its own already; on one, each failover is a line.
    form_.onrelay = [this](const std::string& text) {
        if (reporter_.terminal())
            reporter_.error(gbk::toUtf8(text));
    };
    LocalRelay& keeper = form_.localrelay();
    std::string why;
    if (!keeper.start(static_cast<std::uint16_t>(options_.listenPort), rotate, upstreams, std::nullopt,
                      why)) {
        reporter_.error(gbk::toUtf8(texts().relayCannotStart) + why);
        return kExitFailed;
    }
    const std::string at = "127.0.0.1:" + std::to_string(keeper.port());
    reporter_.error(say(
        "本地中转在 " + at + " 上监听，上游代理 " + std::to_string(keeper.upstreams()) + " 个",
        "local relay listening on " + at + ", " + std::to_string(keeper.upstreams()) + " upstream proxies"));
    if (options_.system)
        form_.pointatrelay();
    // Fails closed: as the system proxy, or with sources to refill from, the relay stays, answering 502
    // while no upstream is left, so the desktop never goes direct; alone it ends.
    // Refills, one at a time, paced as LocalRelay::refillDue says.
    bool saidNoneLeft = false;
    while (!interrupted_) {
        if (refills && keeper.refillDue(static_cast<std::size_t>(options_.floor))) {
            const Texts& t = texts();
            reporter_.error(gbk::toUtf8(t.relayPrefix + t.relayRefilling + std::to_string(keeper.healthy()) +
                                        t.relayRefillingEnd));
            keeper.refillBegins();
            if (!refill() && interrupted_)
                break;
            keeper.refillEnds(upstreamsOfTable());
            reporter_.error(gbk::toUtf8(t.relayPrefix + t.relayRefilled + std::to_string(keeper.upstreams()) +
                                        t.relayRefilledEnd));
        }
        if (keeper.noneLeft()) {
            if (!options_.system && !refills)
                break;
            if (!saidNoneLeft)
                reporter_.error(
                    say("本地中转：没有可用的上游代理；仍然只经上游转发，不会直接连接，按 Ctrl-C 停止",
                        "local relay: no upstream proxy is left; it still never connects directly, until "
                        "Ctrl-C"));
            saidNoneLeft = true;
        } else {
            saidNoneLeft = false;
        }
        keeper.tick();
        dispatcher_.waitMessages(std::chrono::milliseconds(200));
    }
    if (options_.system)
        form_.stopproxy(); // the desktop gets its own settings back before the relay goes
    keeper.stop();
    if (interrupted_)
        return kExitInterrupted;
    reporter_.error(gbk::toUtf8(texts().relayPrefix + texts().relayNoneLeft));
    return kExitFailed;
}

int CliRunner::write()
{
    const ProxyTable& table = form_.table();
    // The window's export formats, in the order of Format.
    static constexpr proxyfiles::Format exportFormats[] = {proxyfiles::Text, proxyfiles::Html,
                                                           proxyfiles::Xml};
    const std::string bytes =
        options_.format == Format::Json
            ? proxyfiles::jsonBytes(table)
            : proxyfiles::exportBytes(table, exportFormats[static_cast<int>(options_.format)],
                                      localDateTime(std::time(nullptr)));
    if (options_.out) {
        // A list that carries a proxy's password is readable by its user alone.
        bool credentials = false;
        table.forEach([&](std::size_t, const ProxyRecord& r) {
            credentials = credentials || !r.credentials().empty();
        });
        // Written beside the target and renamed into place: a failure keeps an earlier file whole.
        if (IoResult r = writeFileAtomically(process::argumentPath(*options_.out), bytes, MissingFolder::Fail,
                                             credentials ? Access::Private : Access::Usual);
            !r) {
            reporter_.error(say("无法写入 --out ", "cannot write --out ") + *options_.out + say("：", ": ") +
                            r.message);
            return kExitFailed;
        }
        return kExitOk;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
        reporter_.error(say("无法写入标准输出：", "cannot write standard output: ") + std::strerror(errno));
        return kExitFailed;
    }
    return kExitOk;
}

void CliRunner::interrupt()
{
    if (interrupted_)
        return;
    interrupted_ = true;
    if (phase_ == Phase::Validate)
        form_.btnstopcheckExecute();
}

void CliRunner::tick()
{
    if (!reporter_.terminal())
        return;
    const std::string elapsed = say(" · 用时 ", " · ") + oneDecimal(elapsedSeconds()) + say(" 秒", " s");
    switch (phase_) {
    case Phase::Discovery:
        reporter_.progress(say("正在查找列表页", "finding list pages") + elapsed);
        break;
    case Phase::Harvest: {
        const tdaili* c = form_.coordinator();
        const int started = c ? c->startedcount : 0;
        const int running = c ? c->threadcount : 0;
        const std::string rows = std::to_string(form_.table().rowCount());
        const std::string ended = std::to_string(started - running);
        reporter_.progress(
            say("来源 已开始 " + std::to_string(started) + "，已结束 " + ended + " · 已找到 " + rows + " 行",
                "sources started " + std::to_string(started) + ", ended " + ended + " · " + rows +
                    " rows found") +
            elapsed);
        break;
    }
    case Phase::Validate: {
        const ValidationRun::Progress p = form_.run() ? form_.run()->progress() : ValidationRun::Progress{};
        // A row is checked once for each protocol asked for: the count is of checks.
        const std::size_t planned =
            p.planned > 0 ? static_cast<std::size_t>(p.planned) : form_.table().rowCount();
        const std::string counts = std::to_string(p.started) + "/" + std::to_string(planned);
        const std::string done = std::to_string(p.completed), valid = std::to_string(p.valid);
        reporter_.progress(say("检查 已开始 " + counts + "，已完成 " + done + "，有效 " + valid,
                               "checks started " + counts + ", done " + done + ", valid " + valid) +
                           elapsed);
        break;
    }
    case Phase::Locate:
        reporter_.progress(say("正在查询位置", "looking up locations") + elapsed);
        break;
    case Phase::Starting:
    case Phase::Done:
        break;
    }
}

} // namespace vorin::cli
