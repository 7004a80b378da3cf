// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/ioresult.h"
#include "table/proxytable.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// The proxy list files: export as text, HTML or XML, import of address:port lines. The byte work is pure
// (tests compare bytes); the file functions add the I/O. Main thread.
namespace vorin::proxyfiles {

enum Format {
    Text = 1,
    Html = 2,
    Xml = 3,
};

// The file's bytes for the table in its current order, every line ending in CR LF. dateTime is the GBK
// text of the save time.
std::string exportBytes(const ProxyTable& table, Format format, const std::string& dateTime);

// Writes the table to path in format. An empty table or an unknown format writes nothing and succeeds.
// The file is written beside its target and renamed into place, so a failed save leaves an earlier file
// of that name intact; the failure's message (GBK) names the operation and the file.
IoResult savetofile(const ProxyTable& table, const std::filesystem::path& path, int format);

// name, trimmed, with its extension (from the last dot of the file name on) replaced by or given the
// one of the filter entry (1 ".txt", 2 ".html", 3 ".xml"). Works on the path's own characters, so a
// name the system spells in UTF-16 keeps every character.
std::filesystem::path withExtension(const std::filesystem::path& name, int filterEntry);

// Every line of text that holds a colon, split at the first colon: address before, port after, nothing
// trimmed; a line written as scheme://[user:password@]host:port is read as that proxy instead.
// fn(ProxyEntry) in file order; an fn that returns bool stops the walk by returning false.
template <typename Fn> void forEachImportLine(std::string_view text, Fn&& fn);

// Replaces the table's rows with the file's: an unreadable file changes nothing and fails with a message
// (GBK) naming it.
IoResult importfile(ProxyTable& table, const std::filesystem::path& path);
// Reads a list file whole; fails with the same message as importfile.
IoResult readList(const std::filesystem::path& path, std::string& bytes);
// The same for a list already read (a pipe, for instance). A long list can be read in turns: between
// every 1,024 rows, between(rows so far) is asked whether to go on; false stops the import there, with
// the rows read so far in the table.
void importBytes(ProxyTable& table, std::string_view bytes,
                 const std::function<bool(std::size_t)>& between = nullptr);

} // namespace vorin::proxyfiles

#include "files/proxyfiles_impl.h"
