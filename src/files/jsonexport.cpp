// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "files/jsonexport.h"

#include "platform/gbk.h"

#include <array>
#include <nlohmann/json.hpp>

namespace vorin::proxyfiles {
namespace {

using Json = nlohmann::json;

// The library writes every name and value; the layout is ours: one row a line, ", " between members and
// ": " after a name, easier to read and to diff than either of the library's own layouts.
void append(std::string& out, const Json& value)
{
    // Texts come from gbk::toUtf8 and are valid UTF-8; replace keeps a fault there from throwing.
    out += value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The members' names, written once: "\"IP地址\": " and so on, in the order of a row.
enum Member {
    Ip,
    Port,
    ProtocolText,
    Location,
    Valid,
    Speed,
    Protocols,
    Anonymity,
    ExitIp,
    Country,
    Credentials,
    Members
};

const std::array<std::string, Members>& names()
{
    static const std::array<std::string, Members> written = [] {
        const std::string keys[Members] = {
            gbk::toUtf8(fieldName(Field::Ip)),
            gbk::toUtf8(fieldName(Field::Port)),
            gbk::toUtf8(fieldName(Field::Protocol)),
            gbk::toUtf8(fieldName(Field::Location)),
            gbk::toUtf8(fieldName(Field::Valid)),
            gbk::toUtf8(fieldName(Field::Speed)),
            "protocols",
            "anonymity",
            "exit_ip",
            "country",
            "credentials",
        };
        std::array<std::string, Members> out;
        for (int i = 0; i < Members; ++i) {
            append(out[i], Json(keys[i]));
            out[i] = (i == 0 ? "" : ", ") + out[i] + ": ";
        }
        return out;
    }();
    return written;
}

Json textOrNull(std::string_view gbkText)
{
    return gbkText.empty() ? Json(nullptr) : Json(gbk::toUtf8(gbkText));
}

void appendRow(std::string& out, const ProxyRecord& r)
{
    const auto& name = names();
    out += '{';
    const Field fields[] = {Field::Ip, Field::Port, Field::Protocol, Field::Location};
    for (int i = Ip; i <= Location; ++i) {
        out += name[i];
        append(out, Json(gbk::toUtf8(r.text(fields[i]))));
    }
    out += name[Valid];
    append(out, Json(r.boolean(Field::Valid)));
    out += name[Speed];
    append(out, r.has(Field::Speed) ? Json(r.speed) : Json(nullptr));
    // What the checks and the offline location found.
    const CheckFacts facts = r.facts();
    out += name[Protocols];
    out += '[';
    const char* separator = "";
    for (Protocol p : kProtocols) {
        if (facts.passed & bit(p)) {
            out += separator;
            append(out, Json(protocolName(p)));
            separator = ", ";
        }
    }
    out += ']';
    out += name[Anonymity];
    const char* anonymity = anonymityName(facts.anonymity);
    append(out, anonymity ? Json(anonymity) : Json(nullptr));
    out += name[ExitIp];
    append(out, textOrNull(facts.exitIp));
    out += name[Country];
    append(out, textOrNull(r.country()));
    // A proxy that wants credentials keeps them on the way to the next command (guard --in, validate --in).
    if (!r.credentials().empty()) {
        out += name[Credentials];
        append(out, Json(gbk::toUtf8(r.credentials())));
    }
    out += '}';
}

} // namespace

std::string jsonString(std::string_view gbkText)
{
    std::string out;
    append(out, Json(gbk::toUtf8(gbkText)));
    return out;
}

std::string jsonBytes(const ProxyTable& table)
{
    std::string out = "[";
    const char* separator = "\n  ";
    table.forEach([&](std::size_t, const ProxyRecord& r) {
        out += separator;
        appendRow(out, r);
        separator = ",\n  ";
    });
    out += out.size() == 1 ? "]\n" : "\n]\n";
    return out;
}

} // namespace vorin::proxyfiles
