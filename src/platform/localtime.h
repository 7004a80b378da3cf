// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <ctime>
#include <string>

namespace vorin {

// t as the user's locale writes it: the short date, a blank and the long time, as GBK text; at exactly
// midnight the blank and the time are left out. Any thread.
std::string localDateTime(std::time_t t);

} // namespace vorin
