// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "files/jsonexport.h"
#include "platform/gbk.h"
#include "table/gridview.h"

#include <nlohmann/json.hpp>

namespace vorin::proxyfiles {

bool importJson(ProxyTable& table, std::string_view bytes)
{
    using Json = nlohmann::json;
    const Json doc = Json::parse(bytes.begin(), bytes.end(), nullptr, false); // no exceptions: discarded
    if (!doc.is_array())
        return false;
    gridview::clearTable(table);
    table.open();
    for (const Json& row : doc) {
        if (!row.is_object())
            continue;
        table.append();
        for (Field f : {Field::Ip, Field::Port, Field::Protocol, Field::Location}) {
            auto it = row.find(gbk::toUtf8(fieldName(f)));
            if (it != row.end() && it->is_string())
                table.setText(f, gbk::fromUtf8(it->get_ref<const std::string&>()));
        }
        // The proxy is checked in the protocols it passed (or the one its row names), never over HTTP
        // because the file was read. Its verdict and speed are not read: a list is unchecked until a run
        // has checked it.
        ProtocolSet own = 0;
        if (auto it = row.find("protocols"); it != row.end() && it->is_array()) {
            for (const Json& name : *it) {
                if (name.is_string())
                    if (auto p = protocolByName(name.get_ref<const std::string&>()))
                        own |= bit(*p);
            }
        }
        if (own == 0)
            if (auto p = protocolByName(table.text(Field::Protocol)))
                own = bit(*p);
        if (own != 0)
            table.setEntryProtocol(own);
        if (auto it = row.find("credentials"); it != row.end() && it->is_string())
            table.setCredentials(gbk::fromUtf8(it->get_ref<const std::string&>()));
        table.post();
    }
    return true;
}

} // namespace vorin::proxyfiles
