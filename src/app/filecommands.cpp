// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Saving the table to a file and importing a list.
#include "app/frmvrdl.h"
#include "config/userfile.h"
#include "files/proxyfiles.h"
#include "platform/atomicfile.h"
#include "platform/gbk.h"
#include "platform/process.h"
#include "platform/texts.h"

namespace vorin {

void Tfrmvrdl::btnsaveproxyExecute()
{
    auto chosen = view_.saveDialog(texts().saveFilter, saveFilterIndex);
    if (!chosen)
        return;
    saveFilterIndex = chosen->filterIndex;
    savetofile(proxyfiles::withExtension(chosen->path, chosen->filterIndex), chosen->filterIndex);
}

void Tfrmvrdl::savetofile(const std::filesystem::path& path, int format)
{
    if (auto r = proxyfiles::savetofile(table_, path, format); !r)
        view_.messageBox(r.message);
}

void Tfrmvrdl::mnimportExecute()
{
    if (importing_ || listing_) // the list under way is finished first
        return;
    auto chosen = view_.openDialog();
    if (!chosen)
        return;
    std::error_code ec;
    const std::uint64_t serial = importSerial_;
    if (std::filesystem::exists(*chosen, ec))
        importfile(*chosen);
    if (importSerial_ <= serial + 1) // not when a harvest took the table meanwhile: it shows its own rows
        showingrid();
}

namespace {

// What a file the user edits holds: its entries' count and its problems (UTF-8).
struct FileCheck {
    std::size_t entries = 0;
    std::vector<std::string> problems;
};

// Opens the user's file (its text already read) in the editor and saves what was edited; says the count
// of entries, or the first problem (the sound lines are used all the same). problem: the GBK text that
// introduces a problem.
void edituserfile(View& view, const std::filesystem::path& path, const std::string& title,
                  const std::string& text, const std::function<FileCheck(const std::string&)>& check,
                  const std::string& saved, const std::string& problem,
                  const std::function<void(const std::string&)>& say)
{
    auto edited = view.editText(title, text);
    if (!edited || *edited == text)
        return;
    if (IoResult w = writeFileAtomically(path, *edited); !w) {
        view.messageBox(texts().cannotWrite + process::textOf(path));
        return;
    }
    const FileCheck found = check(*edited);
    say(found.problems.empty() ? saved + std::to_string(found.entries) + texts().sourcesSavedEnd
                               : problem + gbk::fromUtf8(problemsSummary(found.problems)));
}

} // namespace

void Tfrmvrdl::mneditsourcesExecute()
{
    SourceList list;
    std::string text;
    if (IoResult r = loadSources(sourcesfile, endpoints_, list, &text); !r) {
        view_.messageBox(texts().sourcesProblem + gbk::fromUtf8(r.message));
        return;
    }
    edituserfile(
        view_, sourcesfile, texts().mn04, text,
        [](const std::string& edited) {
            SourceList l = parseSources(edited);
            return FileCheck{l.sources.size(), std::move(l.problems)};
        },
        texts().sourcesSaved, texts().sourcesProblem, [this](const std::string& t) { showinfo(t); });
}

void Tfrmvrdl::mneditjudgesExecute()
{
    JudgeList list;
    std::string text;
    if (IoResult r = loadJudges(judgesfile, endpoints_, list, &text); !r) {
        view_.messageBox(texts().judgesProblem + gbk::fromUtf8(r.message));
        return;
    }
    edituserfile(
        view_, judgesfile, texts().menuEditJudges, text,
        [this](const std::string& edited) {
            JudgeList l = parseJudges(edited, endpoints_);
            return FileCheck{l.judges.size(), std::move(l.problems)};
        },
        texts().judgesSaved, texts().judgesProblem, [this](const std::string& t) { showinfo(t); });
}

std::vector<Judge> Tfrmvrdl::judgepool(bool quiet)
{
    if (!judgeauto)
        return {judge};
    JudgeList list;
    if (IoResult r = loadJudges(judgesfile, endpoints_, list); !r) {
        if (!quiet)
            showinfo(texts().judgesProblem + gbk::fromUtf8(r.message));
        return {};
    }
    if (!list.problems.empty() && !quiet)
        showinfo(texts().judgesProblem + gbk::fromUtf8(problemsSummary(list.problems)));
    return std::move(list.judges);
}

bool Tfrmvrdl::importfile(const std::filesystem::path& path)
{
    std::string bytes;
    if (auto r = proxyfiles::readList(path, bytes); !r) {
        view_.messageBox(r.message); // the table stays as it was, and so does a run under way
        return false;
    }
    importbytes(bytes);
    return true;
}

void Tfrmvrdl::importbytes(std::string_view bytes)
{
    endrunquietly();
    const std::uint64_t mine = ++importSerial_;
    importing_ = true;
    std::uint32_t turnStart = clock_.tickCount();
    bool firstTurn = true;
    proxyfiles::importBytes(table_, bytes, [&](std::size_t rows) {
        if (clock_.tickCount() - turnStart < 50)
            return true;
        if (std::exchange(firstTurn, false))
            cleargrid(); // the rows it showed are gone; the listing at the end shows the new ones
        showinfo(texts().importProgress + std::to_string(rows) +
                 texts().checkCappedEnd); // lets the window run
        turnStart = clock_.tickCount();
        return importSerial_ == mine;
    });
    if (importSerial_ == mine)
        importing_ = false;
}

} // namespace vorin
