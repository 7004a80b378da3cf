// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/regfile.h"

#include "platform/trim.h"

#include <algorithm>
#include <cstdio>

namespace vorin::registry {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// Reads a quoted text starting at s[pos] == '"', undoing the \\ and \" escapes. Returns the position after
// the closing quote, or npos when the quote is never closed.
std::size_t readQuoted(std::string_view s, std::size_t pos, std::string& out)
{
    out.clear();
    for (std::size_t i = pos + 1; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            out += s[++i];
        } else if (s[i] == '"') {
            return i + 1;
        } else {
            out += s[i];
        }
    }
    return std::string_view::npos;
}

std::string quote(std::string_view s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

std::optional<std::uint32_t> parseDword(std::string_view hex)
{
    if (hex.empty() || hex.size() > 8)
        return std::nullopt;
    std::uint32_t v = 0;
    for (char c : hex) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        v = v * 16 + static_cast<std::uint32_t>(d);
    }
    return v;
}

// A text value holding line breaks or other control bytes cannot be written between quotes without
// breaking its line (or, worse, forging the lines after it); it is written as regedit does, hex(1): its
// bytes and a terminating 00.
bool needsHex(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string hexString(std::string_view s)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string out = "hex(1):";
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 15];
        out += ',';
    }
    return out + "00";
}

std::optional<std::string> parseHexString(std::string_view data)
{
    std::string bytes;
    for (std::size_t i = 0; i < data.size(); i += 3) {
        auto v = parseDword(data.substr(i, 2));
        if (!v || data.substr(i, 2).size() != 2 || (i + 2 < data.size() && data[i + 2] != ','))
            return std::nullopt;
        bytes += static_cast<char>(*v);
    }
    if (bytes.empty() || bytes.back() != '\0')
        return std::nullopt;
    bytes.pop_back();
    return bytes;
}

RegFile::Entry parseValueLine(std::string_view line)
{
    RegFile::Entry raw{RegFile::Entry::Kind::Raw, {}, std::string(line), 0};
    RegFile::Entry e;
    std::size_t pos;
    if (!line.empty() && line[0] == '@') {
        pos = 1;
    } else if (!line.empty() && line[0] == '"') {
        pos = readQuoted(line, 0, e.name);
        if (pos == std::string_view::npos)
            return raw;
    } else {
        return raw;
    }
    if (pos >= line.size() || line[pos] != '=')
        return raw;
    RegFile::Entry other{RegFile::Entry::Kind::Other, e.name, std::string(line), 0};
    std::string_view data = line.substr(pos + 1);
    if (!data.empty() && data[0] == '"') {
        std::size_t end = readQuoted(data, 0, e.text);
        if (end != data.size())
            return other;
        e.kind = RegFile::Entry::Kind::String;
        return e;
    }
    if (data.substr(0, 7) == "hex(1):") {
        auto text = parseHexString(data.substr(7));
        if (!text)
            return other;
        e.kind = RegFile::Entry::Kind::String;
        e.text = std::move(*text);
        return e;
    }
    if (data.substr(0, 6) == "dword:") {
        auto v = parseDword(data.substr(6));
        if (!v)
            return other;
        e.kind = RegFile::Entry::Kind::Dword;
        e.dword = *v;
        return e;
    }
    return other;
}

} // namespace

std::optional<RegFile> RegFile::parse(std::string_view text)
{
    RegFile file;
    if (text.find('\0') != std::string_view::npos)
        return std::nullopt;
    auto lines = splitLines(text);
    std::size_t i = 0;
    while (i < lines.size() && lines[i].empty())
        ++i;
    if (i == lines.size())
        return file; // an empty file is an empty hive
    if (lines[i] != kHeader)
        return std::nullopt;
    for (++i; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            file.sections_.push_back({std::string(line.substr(1, line.size() - 2)), {}});
        } else if (line.empty()) {
            continue; // blank separators are rewritten by serialize
        } else if (file.sections_.empty()) {
            file.preamble_.emplace_back(line);
        } else {
            file.sections_.back().entries.push_back(parseValueLine(line));
        }
    }
    return file;
}

std::string RegFile::serialize() const
{
    std::string out(kHeader);
    out += "\r\n\r\n";
    for (const auto& line : preamble_)
        out += line + "\r\n";
    for (const auto& section : sections_) {
        out += "[" + section.name + "]\r\n";
        for (const auto& e : section.entries) {
            std::string name = e.name.empty() ? std::string("@") : quote(e.name);
            switch (e.kind) {
            case Entry::Kind::String:
                out += name + "=" + (needsHex(e.text) ? hexString(e.text) : quote(e.text));
                break;
            case Entry::Kind::Dword: {
                char buf[16];
                std::snprintf(buf, sizeof buf, "%08x", e.dword);
                out += name + "=dword:" + buf;
                break;
            }
            case Entry::Kind::Other:
            case Entry::Kind::Raw:
                out += e.text;
                break;
            }
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

RegFile::Section* RegFile::find(std::string_view key, bool createIfMissing)
{
    for (auto& s : sections_) {
        if (equalsNoCase(s.name, key))
            return &s;
    }
    if (!createIfMissing)
        return nullptr;
    sections_.push_back({std::string(key), {}});
    return &sections_.back();
}

const RegFile::Section* RegFile::find(std::string_view key) const
{
    return const_cast<RegFile*>(this)->find(key, false);
}

const RegFile::Entry* RegFile::findValue(const Section& section, std::string_view name)
{
    for (const auto& e : section.entries) {
        if (e.kind != Entry::Kind::Raw && equalsNoCase(e.name, name))
            return &e;
    }
    return nullptr;
}

void RegFile::setValue(Section& section, Entry entry)
{
    for (auto& e : section.entries) {
        if (e.kind != Entry::Kind::Raw && equalsNoCase(e.name, entry.name)) {
            entry.name = e.name;
            e = std::move(entry);
            return;
        }
    }
    section.entries.push_back(std::move(entry));
}

void RegFile::removeValue(Section& section, std::string_view name)
{
    std::erase_if(section.entries,
                  [&](const Entry& e) { return e.kind != Entry::Kind::Raw && equalsNoCase(e.name, name); });
}

} // namespace vorin::registry
