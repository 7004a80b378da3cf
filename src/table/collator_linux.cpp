// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "table/collator.h"

#include "platform/gbk.h"

#include <cstdlib>
#include <unicode/ucol.h>
#include <unicode/ustring.h>
#include <vector>

namespace vorin {
namespace {

// The collation locale as the C library would pick it: LC_ALL, then LC_COLLATE, then LANG, with the
// encoding and modifier stripped ("zh_CN.UTF-8" -> "zh_CN"). C and POSIX mean ICU's root order.
std::string userLocale()
{
    for (const char* name : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* v = std::getenv(name);
        if (!v || !*v)
            continue;
        std::string s(v);
        s = s.substr(0, s.find_first_of(".@"));
        if (s == "C" || s == "POSIX")
            return "root";
        return s;
    }
    return "root";
}

} // namespace

struct Collator::Impl {
    UCollator* collator = nullptr;
};

Collator::Collator(const std::string& locale) : impl_(std::make_unique<Impl>())
{
    UErrorCode status = U_ZERO_ERROR;
    std::string name = locale.empty() ? userLocale() : locale;
    impl_->collator = ucol_open(name.c_str(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        impl_->collator = ucol_open("root", &status);
    }
}

Collator::~Collator()
{
    if (impl_->collator)
        ucol_close(impl_->collator);
}

std::string Collator::sortKey(std::string_view gbkText) const
{
    if (!impl_->collator)
        return std::string(gbkText);
    std::string utf8 = gbk::toUtf8(gbkText);
    UErrorCode status = U_ZERO_ERROR;
    std::vector<UChar> utf16(utf8.size() + 1);
    int32_t len = 0;
    u_strFromUTF8WithSub(utf16.data(), static_cast<int32_t>(utf16.size()), &len, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        return std::string(gbkText);
    std::string key(64, '\0');
    for (;;) {
        int32_t need =
            ucol_getSortKey(impl_->collator, utf16.data(), len, reinterpret_cast<uint8_t*>(key.data()),
                            static_cast<int32_t>(key.size()));
        if (need <= static_cast<int32_t>(key.size())) {
            key.resize(need > 0 ? static_cast<std::size_t>(need - 1) : 0); // drop the terminating zero
            return key;
        }
        key.resize(static_cast<std::size_t>(need));
    }
}

} // namespace vorin
