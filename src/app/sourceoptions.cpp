// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The choice of source groups: the check marks of popsvr, the option string and its stored form.
#include "app/frmvrdl.h"
#include "platform/registry.h"

namespace vorin {
namespace {

constexpr const char* kOptionKey = registry::kProgramKey;
constexpr const char* kOptionValue = "downoption";
constexpr const char* kDefaultOption = "100";
// The mark of the user's-sources entry, beside the option string (whose three characters keep their meaning);
// ticked unless the store says otherwise, since the built-in sites of the three groups are gone.
constexpr const char* kCustomValue = "customsources";

} // namespace

std::string Tfrmvrdl::readdownoption()
{
    auto key = registry::Key::open(registry::Hive::CurrentUser, kOptionKey);
    std::string value = key.readString(kOptionValue).value_or(std::string());
    return value.empty() ? std::string(kDefaultOption) : value;
}

void Tfrmvrdl::refeshmemu()
{
    std::string marks = downoption.size() == kSourceEntries ? downoption : kDefaultOption;
    for (int i = 0; i < kSourceEntries; ++i)
        view_.setChecked(static_cast<MenuEntry>(i), marks[static_cast<std::size_t>(i)] == '1');
    auto key = registry::Key::open(registry::Hive::CurrentUser, kOptionKey);
    view_.setChecked(MenuEntry::Mn04, key.readDword(kCustomValue).value_or(1) == 1);
}

void Tfrmvrdl::mn01Click(MenuEntry clicked)
{
    view_.setChecked(clicked, !view_.isChecked(clicked));
    std::string option;
    for (int i = 0; i < kSourceEntries; ++i)
        option += view_.isChecked(static_cast<MenuEntry>(i)) ? '1' : '0';
    downoption = option;
}

IoResult Tfrmvrdl::writeoption()
{
    auto key = registry::Key::open(registry::Hive::CurrentUser, kOptionKey);
    IoResult written = key.writeString(kOptionValue, downoption);
    const bool custom = view_.isChecked(MenuEntry::Mn04);
    // A store that never held the mark gets none while it keeps its default, so the file stays as it was.
    if (written && (!custom || key.readDword(kCustomValue)))
        written = key.writeDword(kCustomValue, custom ? 1 : 0);
    return written;
}

} // namespace vorin
