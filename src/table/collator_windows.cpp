// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The Windows locale order: LCMapStringEx's sort keys (LCMAP_SORTKEY), whose byte comparison gives the
// order CompareStringEx would.
#include "table/collator.h"

#include "platform/gbk.h"
#include "platform/widetext.h"

#include <windows.h>

namespace vorin {

struct Collator::Impl {
    std::wstring locale; // empty: the user's
};

Collator::Collator(const std::string& locale) : impl_(std::make_unique<Impl>())
{
    // "zh_CN" as Windows names it: "zh-CN". A name Windows does not know falls back to the user's locale.
    std::wstring name(locale.begin(), locale.end());
    for (wchar_t& c : name)
        if (c == L'_')
            c = L'-';
    if (!name.empty() && IsValidLocaleName(name.c_str()))
        impl_->locale = name;
}

Collator::~Collator() = default;

std::string Collator::sortKey(std::string_view gbkText) const
{
    const std::wstring text = wide::fromGbk(gbkText);
    if (text.empty())
        return {};
    const int n = static_cast<int>(text.size());
    const wchar_t* locale = impl_->locale.empty() ? LOCALE_NAME_USER_DEFAULT : impl_->locale.c_str();
    const int bytes = LCMapStringEx(locale, LCMAP_SORTKEY, text.c_str(), n, nullptr, 0, nullptr, nullptr, 0);
    if (bytes <= 0)
        return std::string(gbkText);
    std::string key(static_cast<std::size_t>(bytes), '\0');
    LCMapStringEx(locale, LCMAP_SORTKEY, text.c_str(), n, reinterpret_cast<wchar_t*>(key.data()), bytes,
                  nullptr, nullptr, 0);
    while (!key.empty() && key.back() == '\0') // the terminating zero
        key.pop_back();
    return key;
}

} // namespace vorin
