// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vorin {

// One proxy cut from a page, handed to the main thread by value. Sources that give no protocol or
// location leave them empty, and the row's fields then stay unset.
struct Entry {
    std::string ip;
    std::string port;
    std::optional<std::string> protocol;
    std::optional<std::string> location;
    std::optional<std::string> credentials; // "user:password" written before the address
    bool ownProtocol = false; // the protocol is the entry's own (a scheme, a list's field), not a default
};

// Where a parser puts the entries it finds, in the order it finds them.
using EntrySink = std::function<void(Entry)>;

} // namespace vorin
