// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "files/proxyfiles.h"

#include "platform/atomicfile.h"
#include "platform/gbk.h"
#include "platform/idioms.h"
#include "platform/localtime.h"
#include "platform/process.h"
#include "platform/texts.h"
#include "platform/trim.h"
#include "table/gridview.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace vorin::proxyfiles {

std::string exportBytes(const ProxyTable& table, Format format, const std::string& dateTime)
{
    const Texts& t = texts();
    std::string out;
    auto line = [&out](std::string_view text) {
        out.append(text);
        out.append("\r\n");
    };
    switch (format) {
    case Text:
        line(t.exportHeader + dateTime);
        table.forEach([&](std::size_t, const ProxyRecord& r) {
            const std::string stored = r.text(Field::Location);
            std::string_view location = trim(stored);
            line(r.text(Field::Ip) + ":" + r.text(Field::Port) + "@" +
                 (location.empty() ? t.unknownLocation : std::string(location)) + "#" + r.text(Field::Speed) +
                 "ms");
        });
        break;
    case Html:
        line("<html><head><title>" + t.htmlTitleUtf8 + dateTime + "</title></head><body><table>" +
             t.htmlHeadings);
        table.forEach([&](std::size_t, const ProxyRecord& r) {
            line("<tr><td>" + r.text(Field::Ip) + ":" + r.text(Field::Port) + "</td><td>" +
                 r.text(Field::Speed) + "</td></tr>");
        });
        line("</table></body></html>");
        break;
    case Xml:
        line("<?xml version=\"1.0\" encoding=\"utf-8\" ?>");
        line("<PROXY>");
        table.forEach([&](std::size_t, const ProxyRecord& r) {
            line("<IP>" + r.text(Field::Ip) + ":" + r.text(Field::Port) + "</IP>");
        });
        line("</PROXY>");
        break;
    }
    return out;
}

IoResult savetofile(const ProxyTable& table, const std::filesystem::path& path, int format)
{
    if (table.isEmpty() || format < Text || format > Xml)
        return IoResult::success();
    std::string bytes = exportBytes(table, static_cast<Format>(format), localDateTime(std::time(nullptr)));
    IoResult written = writeFileAtomically(path, bytes, MissingFolder::Fail);
    if (written)
        return written;
    // File names are the system's (UTF-8); messages are GBK like every text of the program.
    const std::string name = gbk::fromUtf8(process::argumentText(path));
    const bool created = written.message.rfind("write", 0) == 0 || written.message.rfind("fsync", 0) == 0;
    return IoResult::failure((created ? texts().cannotWrite : texts().cannotCreate) + name);
}

std::filesystem::path withExtension(const std::filesystem::path& name, int filterEntry)
{
    using Char = std::filesystem::path::value_type;
    using String = std::filesystem::path::string_type;
    static constexpr const char* extensions[] = {".txt", ".html", ".xml"};
    String n(trimmed(std::basic_string_view<Char>(name.native())));
    if (filterEntry < 1 || filterEntry > 3)
        return n;
    static constexpr Char separators[] = {'/', std::filesystem::path::preferred_separator, 0};
    const auto slash = n.find_last_of(separators);
    const auto dot = n.find_last_of(Char('.'));
    if (dot != String::npos && (slash == String::npos || dot > slash))
        n.erase(dot);
    for (const char* c = extensions[filterEntry - 1]; *c; ++c)
        n += static_cast<Char>(*c);
    return n;
}

IoResult importfile(ProxyTable& table, const std::filesystem::path& path)
{
    std::string bytes;
    IoResult read = readList(path, bytes);
    if (read)
        importBytes(table, bytes);
    return read;
}

IoResult readList(const std::filesystem::path& path, std::string& bytes)
{
    std::error_code ec;
    std::ifstream in(path, std::ios::binary);
    bytes.clear();
    if (in && std::filesystem::is_regular_file(path, ec)) {
        char buf[65536];
        while (in.read(buf, sizeof buf) || in.gcount() > 0)
            bytes.append(buf, static_cast<std::size_t>(in.gcount()));
    }
    if (!in.eof() || in.bad())
        return IoResult::failure(texts().cannotRead + gbk::fromUtf8(process::argumentText(path)));
    return IoResult::success();
}

void importBytes(ProxyTable& table, std::string_view bytes, const std::function<bool(std::size_t)>& between)
{
    gridview::clearTable(table);
    table.open();
    std::size_t rows = 0;
    forEachImportLine(bytes, [&](const ProxyEntry& entry) {
        table.append();
        table.setText(Field::Ip, entry.endpoint.host);
        table.setText(Field::Port, entry.endpoint.port);
        if (!entry.protocol.empty()) {
            table.setText(Field::Protocol, idioms::UpperCase(entry.protocol));
            if (auto p = protocolByName(entry.protocol))
                table.setEntryProtocol(bit(*p));
        }
        if (!entry.credentials.empty())
            table.setCredentials(entry.credentials);
        table.post();
        return !between || ++rows % 1024 != 0 || between(rows);
    });
}

} // namespace vorin::proxyfiles
