// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "config/endpoints.h"
#include "platform/ioresult.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// A source the user listed: its page, and the protocol of the entries on it that name none.
struct UserSource {
    std::string url;
    std::string protocol;  // "http", "https", "socks4" or "socks5"
    bool declared = false; // the line named the protocol; otherwise its bare entries are checked in each
                           // protocol a run asks for
};

// The user's sources file, plain UTF-8 text beside HKCU.reg: one source a line, "URL [protocol]"; '#' at the
// start of a line or after a blank starts a comment. The URL is an http:// or https:// page; the
// protocol defaults to http. Lines that are neither are reported (problems, UTF-8, one a line) and left out.
struct SourceList {
    std::vector<UserSource> sources;
    std::vector<std::string> problems;
};
SourceList parseSources(std::string_view text);

// The file's default text: widely used public lists, with comments that show how to add more.
const std::string& defaultSourcesText();
// sources.txt beside the current user's settings store.
std::filesystem::path sourcesFile();
// Reads path into list (and its text into text, when given); a missing file is first written with the
// default text, its sites those of endpoints. Fails with a message (UTF-8) naming the file when it can be
// neither read nor made.
IoResult loadSources(const std::filesystem::path& path, const Endpoints& endpoints, SourceList& list,
                     std::string* text = nullptr);

} // namespace vorin
