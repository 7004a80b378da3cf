// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "harvest/sourceworker.h"

#include "platform/download.h"
#include "platform/process.h"

namespace vorin {
namespace {

std::string nextTag()
{
    static std::atomic<unsigned> serial{0};
    return std::to_string(process::id()) + "-" + std::to_string(++serial);
}

} // namespace

SourceWorker::SourceWorker(HarvestEnv& env) : env_(env), tag_(nextTag()) {}

void SourceWorker::Execute()
{
    for (const Page& page : pages()) {
        if (env_.cancel.load())
            return;
        fetchAndCut(page);
    }
}

SourceWorker::Cut SourceWorker::parseAndAppend()
{
    return [this](const Lines& lines) { parse(lines, [this](Entry e) { append(std::move(e)); }); };
}

bool SourceWorker::fetchAndCut(const Page& page)
{
    return fetchAndCut(page, parseAndAppend());
}

bool SourceWorker::fetchAndCut(const Page& page, const Cut& cut)
{
    auto file = env_.paths.file(page.dir, page.fileName, tag_);
    const std::string name = tallyName(page);
    tallying_ = !name.empty();
    if (tallying_)
        tallies_.push_back({name});
    const download::Result got = download::toFile(page.url, file, &env_.cancel);
    if (got != download::Result::Ok) {
        if (got != download::Result::Cancelled)
            ++env_.failedPages;
        if (tallying_)
            tallies_.back().failed = got != download::Result::Cancelled;
        return false;
    }
    cutFile(file, cut);
    return true;
}

void SourceWorker::cutFile(const std::filesystem::path& file, const Cut& cut)
{
    auto lines = Lines::load(file);
    if (!lines)
        return;
    // The page is deleted however the cut ends, an error included, so no run leaves pages behind.
    struct RemoveFile {
        const std::filesystem::path& file;
        ~RemoveFile()
        {
            std::error_code ec;
            std::filesystem::remove(file, ec);
        }
    } remover{file};
    cut(*lines);
}

void SourceWorker::append(Entry entry)
{
    // Blocks until the main thread has appended the row; throws when the program is ending, which ends the
    // worker like any error on the worker thread.
    env_.dispatcher.synchronize([this, e = std::move(entry)] { env_.addRecord(e); });
    if (tallying_)
        ++tallies_.back().rows;
}

} // namespace vorin
