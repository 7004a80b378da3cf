// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/ioresult.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// A stand-in for the Windows registry: each hive is a REGEDIT4 text file (GBK, CR LF) that holds keys and
// their REG_SZ and REG_DWORD values. Every operation reads the file afresh and every write replaces it
// atomically, so two programs (or two keys) sharing a hive see each other's values. A file that is not a
// readable hive is backed up beside itself before the first write, and lines the reader does not understand
// are written back unchanged: nothing stored is lost. All calls are safe from any thread.
namespace vorin::registry {

// The program's own key in the current user's hive.
inline constexpr const char* kProgramKey = "SOFTWARE\\VORINSOFT\\vorindaili";

enum class Hive {
    CurrentUser,
    LocalMachine,
};

// Path of a hive's file: both under $VORIN_REGISTRY_DIR when it is set; otherwise HKCU.reg under
// $XDG_CONFIG_HOME/vorindaili (default ~/.config/vorindaili) and HKLM.reg under /etc/vorindaili.
std::filesystem::path hiveFile(Hive hive);

class Key {
public:
    // Opens the key at path (backslash-separated, case-insensitive), creating it when it is missing. A
    // store that cannot be written still opens: reads work and writes report their failure.
    static Key open(Hive hive, std::string path);

    // The value as text; empty when it is missing or not REG_SZ.
    std::optional<std::string> readString(std::string_view name) const;
    // The value as a number; empty when it is missing or not REG_DWORD.
    std::optional<std::uint32_t> readDword(std::string_view name) const;

    IoResult writeString(std::string_view name, std::string_view value) const;
    IoResult writeDword(std::string_view name, std::uint32_t value) const;
    // Removes the value; one that is missing is no failure.
    IoResult deleteValue(std::string_view name) const;

    const std::string& path() const { return path_; }

private:
    Key(std::filesystem::path file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

    std::filesystem::path file_;
    std::string path_; // full key name, hive root included
};

} // namespace vorin::registry
