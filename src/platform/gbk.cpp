// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/gbk.h"

namespace vorin::gbk {

std::size_t charLength(std::string_view s, std::size_t i)
{
    if (i + 1 >= s.size())
        return 1;
    auto lead = static_cast<unsigned char>(s[i]);
    auto trail = static_cast<unsigned char>(s[i + 1]);
    bool isLead = lead >= 0x81 && lead <= 0xFE;
    bool isTrail = trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
    return isLead && isTrail ? 2 : 1;
}

} // namespace vorin::gbk
