// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "files/jsonexport.h"

#include "platform/gbk.h"

#include <cstdio>

namespace vorin::proxyfiles {

std::string jsonString(std::string_view gbkText)
{
    const std::string utf8 = gbk::toUtf8(gbkText);
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
    return out;
}

std::string jsonBytes(const ProxyTable& table)
{
    std::string out = "[";
    bool first = true;
    table.forEach([&](std::size_t, const ProxyRecord& r) {
        out += first ? "\n  {" : ",\n  {";
        first = false;
        for (Field f : {Field::Ip, Field::Port, Field::Protocol, Field::Location}) {
            out += jsonString(fieldName(f)) + ": " + jsonString(r.text(f)) + ", ";
        }
        out +=
            jsonString(fieldName(Field::Valid)) + ": " + (r.boolean(Field::Valid) ? "true" : "false") + ", ";
        out += jsonString(fieldName(Field::Speed)) + ": " +
               (r.has(Field::Speed) ? std::to_string(r.speed) : std::string("null")) + ", ";
        // What the checks and the offline location found.
        const CheckFacts facts = r.facts();
        out += "\"protocols\": [";
        const std::string names = protocolNames(facts.passed, "\", \"");
        out += names.empty() ? std::string() : "\"" + names + "\"";
        out += "], \"anonymity\": ";
        const char* anonymity = anonymityName(facts.anonymity);
        out += anonymity ? "\"" + std::string(anonymity) + "\"" : std::string("null");
        out += ", \"exit_ip\": " + (facts.exitIp.empty() ? std::string("null") : jsonString(facts.exitIp));
        out +=
            ", \"country\": " + (r.country().empty() ? std::string("null") : jsonString(r.country())) + "}";
    });
    out += first ? "]\n" : "\n]\n";
    return out;
}

} // namespace vorin::proxyfiles
