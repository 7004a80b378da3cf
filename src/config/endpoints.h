// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/ioresult.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// The roots ("http://host[:port]") of every web site the program talks to, by key, and the short name each
// site goes by in the status texts. The defaults are the table in endpoints.cpp; the file named by
// $VORIN_ENDPOINTS overrides them, one "key=root" or "key.label=name" per line (blank lines and lines
// starting with '#' are skipped). Paths and queries are never configuration: callers append them to the
// root. Read-only after start-up, so any thread may read it.
class Endpoints {
public:
    // The built-in table.
    static Endpoints defaults();
    // The built-in table with the overrides of $VORIN_ENDPOINTS applied. A file that cannot be read, or
    // that holds a line without "=" or a key the program does not know, is not used at all: the defaults
    // stay and loadError() says why (UTF-8), for the front end to report.
    static Endpoints fromEnvironment();

    // The root for key, without a trailing slash; "" for an unknown key.
    const std::string& root(std::string_view key) const;
    void set(std::string key, std::string root);
    // The site's short name; the key itself when none is set.
    std::string label(std::string_view key) const;
    void setLabel(std::string key, std::string label);
    std::vector<std::string> keys() const;
    // text with every built-in root whose site is configured elsewhere replaced by the root in force:
    // the default files a first use writes (sources, judges) name the sites of this configuration.
    std::string localized(std::string_view text) const;

    // Applies "key=root" lines; malformed lines are skipped. Returns what was wrong with the text (the
    // first line without "=" or with a key not in the table; UTF-8), empty when nothing was.
    std::string applyOverrides(std::string_view text);
    // Applies a file of such lines; fails, naming the file and the line, when it cannot be read or
    // applyOverrides finds something wrong (the good lines are applied all the same).
    IoResult applyOverrideFile(const std::filesystem::path& path);
    const std::string& loadError() const { return loadError_; }
    void setLoadError(std::string why) { loadError_ = std::move(why); }

private:
    std::map<std::string, std::string, std::less<>> roots_;
    std::map<std::string, std::string, std::less<>> labels_;
    std::string loadError_;
};

} // namespace vorin
