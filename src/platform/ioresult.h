// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <string>

namespace vorin {

// Outcome of a file or store operation. On failure, message names the operation that failed and the file,
// for the user and for tests: UTF-8 from the platform's and the services' own operations (file names as
// process::argumentText gives them), converted to GBK where the window shows it.
struct IoResult {
    bool ok = true;
    std::string message;

    static IoResult success() { return {}; }
    static IoResult failure(std::string message) { return {false, std::move(message)}; }
    explicit operator bool() const { return ok; }
};

} // namespace vorin
