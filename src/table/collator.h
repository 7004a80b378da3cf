// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace vorin {

// The user's locale collation (ICU, tertiary strength: case-sensitive) over GBK text. Sort keys are byte
// strings whose plain comparison gives the collation order, so a table computes each row's key once and
// compares bytes afterwards. Not thread-safe: one collator per thread.
class Collator {
public:
    // locale as ICU names it ("zh_CN", "en_US"); empty picks the user's locale from the environment.
    explicit Collator(const std::string& locale = {});
    ~Collator();
    Collator(const Collator&) = delete;
    Collator& operator=(const Collator&) = delete;

    std::string sortKey(std::string_view gbkText) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace vorin
