// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "files/jsonexport.h"
#include "platform/gbk.h"
#include "table/gridview.h"

#include <limits>
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
        if (auto it = row.find(gbk::toUtf8(fieldName(Field::Valid))); it != row.end() && it->is_boolean())
            table.setBoolean(Field::Valid, it->get<bool>());
        if (auto it = row.find(gbk::toUtf8(fieldName(Field::Speed)));
            it != row.end() && it->is_number_integer()) {
            const auto speed = it->get<std::int64_t>();
            if (speed >= 0 && speed <= std::numeric_limits<std::int32_t>::max())
                table.setInteger(Field::Speed, static_cast<std::int32_t>(speed));
        }
        table.post();
    }
    return true;
}

} // namespace vorin::proxyfiles
