// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Entry of vorindaili-cli: the arguments, the main thread's loop (no window, no toolkit), Ctrl-C, the run.
#include "cli/clirun.h"
#include "cli/proxycommand.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/gbk.h"
#include "platform/process.h"
#include "platform/texts.h"
#include "system/systemproxy.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

std::atomic<bool> stopRequested{false};

void onStop()
{
    stopRequested.store(true);
}

// The main thread's hand-over as it is, and a beat: every 200 ms, whenever the run waits for work or lets
// pending work run, the Ctrl-C flag is looked at and the progress line is drawn.
class BeatingDispatcher final : public vorin::Dispatcher {
public:
    std::function<void()> beat;

    void processMessages() override
    {
        Dispatcher::processMessages();
        beatIfDue();
    }

    void waitMessages(std::chrono::milliseconds limit) override
    {
        const auto untilBeat =
            std::chrono::duration_cast<std::chrono::milliseconds>(next_ - std::chrono::steady_clock::now());
        Dispatcher::waitMessages(std::clamp(untilBeat, std::chrono::milliseconds(0), limit));
        beatIfDue();
    }

private:
    void beatIfDue()
    {
        const auto now = std::chrono::steady_clock::now();
        if (now < next_ || !beat)
            return;
        next_ = now + kBeat;
        beat();
    }

    static constexpr std::chrono::milliseconds kBeat{200};
    std::chrono::steady_clock::time_point next_ = std::chrono::steady_clock::now() + kBeat;
};

} // namespace

int main(int argc, char** argv)
{
    using namespace vorin;
    // The window speaks Chinese; this program speaks the language of its locale's messages.
    process::setUpStandardStreams();
    setMessageLanguage(environmentLanguage());
    std::vector<std::string> args = process::arguments(argc, argv);
    cli::Parsed parsed = cli::parseArguments(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "vorindaili-cli: %s\n", parsed.error.c_str());
        return cli::kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(cli::helpText(parsed.options.command).c_str(), stdout);
        return cli::kExitOk;
    }
    // A system proxy left pointing at a relay that no longer runs gets its earlier settings back first.
    if (const systemproxy::Repair repair = systemproxy::repairLeftoverRelay(); repair.found) {
        const Texts& t = texts();
        std::fprintf(stderr, "vorindaili-cli: %s%s\n",
                     gbk::toUtf8(repair.outcome.result ? t.relayLeftover : t.proxyNotRestored).c_str(),
                     repair.outcome.result.message.c_str());
    }
    if (parsed.options.command == cli::Command::Proxy)
        return cli::proxyCommand(parsed.options, stdout, stderr);
    if (parsed.options.command != cli::Command::Run && parsed.options.command != cli::Command::Harvest &&
        !parsed.options.in && process::isTerminal(stdin)) {
        std::fprintf(stderr, "vorindaili-cli: %s\n",
                     say("没有输入：用 --in FILE 指定代理列表，或从管道输入",
                         "no input: name the proxy list with --in FILE, or pipe it in")
                         .c_str());
        return cli::kExitUsage;
    }

    // A site configuration that cannot be used is a usage error here: a script must not run against the
    // built-in sites by mistake.
    Endpoints endpoints = Endpoints::fromEnvironment();
    if (!endpoints.loadError().empty()) {
        std::fprintf(stderr, "vorindaili-cli: VORIN_ENDPOINTS: %s\n", endpoints.loadError().c_str());
        return cli::kExitUsage;
    }

    process::onInterrupt(onStop);
    BeatingDispatcher dispatcher;
    SystemClock clock;
    cli::Reporter reporter(stderr, process::isTerminal(stderr));
    int status = cli::kExitOk;
    {
        cli::CliRunner runner(parsed.options, dispatcher, clock, reporter, std::move(endpoints));
        dispatcher.beat = [&runner] {
            if (stopRequested.load())
                runner.interrupt();
            runner.tick();
        };
        status = runner.run();
        dispatcher.beat = nullptr;
    }
    dispatcher.close();
    process::cleanedUp();
    return status;
}
