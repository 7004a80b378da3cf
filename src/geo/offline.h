// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vorin {

// Where an address is, as the local databases know it.
struct Place {
    std::string country;     // ISO 3166 code ("US"); empty when unknown
    std::string countryName; // in Chinese, UTF-8
    std::string city;        // UTF-8: the database's Chinese name where it has one, else its English one

    // The text for the row's location: country and city, a blank apart; empty when neither is known.
    std::string text() const;
};

// Locates addresses without the network: the country from Debian's country databases (GeoIP.dat and
// GeoIPv6.dat in countryDir, read through libgeoip), the city (and the country, where it names one) from
// a MaxMind-format database the user names. Only IP addresses are looked up, never a host name, so no
// lookup ever asks a name server. Main thread.
class OfflineLocator {
public:
    // Where the country databases are: /usr/share/GeoIP (package geoip-database) on Linux, the GeoIP
    // folder beside the program on Windows (the installer puts them there).
    static std::filesystem::path defaultCountryDir();

    // Opens the databases; nothing, with why (UTF-8), when the city database (named in UTF-8 on Windows,
    // as bytes on Linux) is named and cannot be opened, or when no database at all can be.
    static std::unique_ptr<OfflineLocator>
    open(const std::string& cityDatabase, std::string& why,
         const std::filesystem::path& countryDir = defaultCountryDir());
    ~OfflineLocator();
    OfflineLocator(const OfflineLocator&) = delete;
    OfflineLocator& operator=(const OfflineLocator&) = delete;

    Place locate(std::string_view address) const;

private:
    OfflineLocator() = default;
    struct Databases;
    std::unique_ptr<Databases> db_;
};

// The region's name in Chinese, UTF-8 (ICU's display names; on Windows the same names from the program's
// table, whatever the display language); "" for a code that is not known.
std::string chineseRegionName(std::string_view isoCode);

} // namespace vorin
