// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The choice of source groups: the check marks of popsvr, the option string and its stored form.
#include "app/frmvrdl.h"
#include "platform/registry.h"

namespace vorin {
namespace {

constexpr const char* kOptionKey = "SOFTWARE\\VORINSOFT\\vorindaili";
constexpr const char* kOptionValue = "downoption";
constexpr const char* kDefaultOption = "100";

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
    return key.writeString(kOptionValue, downoption);
}

} // namespace vorin
