// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Entry of vorindaili-cli: the arguments, the event loop without a window, Ctrl-C, the run.
#include "cli/clirun.h"
#include "cli/proxycommand.h"
#include "platform/clock.h"
#include "platform/texts.h"
#include "qtloop/qtdispatcher.h"

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

std::atomic<bool> stopRequested{false};

void onStopSignal(int)
{
    stopRequested.store(true);
}

void installSignals()
{
    // The first Ctrl-C asks the run to stop; the handler then resets itself, so a second one ends the
    // program at once.
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sa.sa_flags = SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN); // a closed output pipe is reported as a write error
}

} // namespace

int main(int argc, char** argv)
{
    using namespace vorin;
    // The window speaks Chinese; this program speaks the language of its locale's messages.
    setMessageLanguage(environmentLanguage());
    std::vector<std::string> args(argv + 1, argv + argc);
    cli::Parsed parsed = cli::parseArguments(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "vorindaili-cli: %s\n", parsed.error.c_str());
        return cli::kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(cli::helpText(parsed.options.command).c_str(), stdout);
        return cli::kExitOk;
    }
    if (parsed.options.command == cli::Command::Proxy)
        return cli::proxyCommand(parsed.options, stdout, stderr);
    if (parsed.options.command != cli::Command::Run && parsed.options.command != cli::Command::Harvest &&
        !parsed.options.in && isatty(STDIN_FILENO)) {
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

    QCoreApplication app(argc, argv);
    installSignals();
    QtDispatcher dispatcher;
    SystemClock clock;
    cli::Reporter reporter(stderr, isatty(STDERR_FILENO) != 0);
    int status = cli::kExitOk;
    {
        cli::CliRunner runner(parsed.options, dispatcher, clock, reporter, std::move(endpoints));
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, &ticker, [&runner] {
            if (stopRequested.load())
                runner.interrupt();
            runner.tick();
        });
        ticker.start(200);
        status = runner.run();
    }
    dispatcher.close();
    return status;
}
