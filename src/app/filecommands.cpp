// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Saving the table to a file and importing a list.
#include "app/frmvrdl.h"
#include "files/proxyfiles.h"
#include "platform/atomicfile.h"
#include "platform/gbk.h"
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

void Tfrmvrdl::savetofile(const std::string& path, int format)
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

void Tfrmvrdl::mneditsourcesExecute()
{
    SourceList list;
    std::string text;
    if (IoResult r = loadSources(sourcesfile, list, &text); !r) {
        view_.messageBox(texts().sourcesProblem + gbk::fromUtf8(r.message));
        return;
    }
    auto edited = view_.editText(texts().mn04, text);
    if (!edited || *edited == text)
        return;
    if (IoResult w = writeFileAtomically(sourcesfile, *edited); !w) {
        view_.messageBox(texts().cannotWrite + gbk::fromUtf8(sourcesfile));
        return;
    }
    list = parseSources(*edited);
    // The first problem is said; the lines that are sound are used all the same.
    showinfo(list.problems.empty()
                 ? texts().sourcesSaved + std::to_string(list.sources.size()) + texts().sourcesSavedEnd
                 : texts().sourcesProblem + gbk::fromUtf8(list.problems.front()));
}

bool Tfrmvrdl::importfile(const std::string& path)
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
