// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "geo/offline.h"

#include "platform/process.h"
#include "platform/texts.h"

#include "platform/inet.h"
#include <GeoIP.h>
#include <maxminddb.h>

#include <cstring>
#include <filesystem>

namespace vorin {

struct OfflineLocator::Databases {
    GeoIP* v4 = nullptr;
    GeoIP* v6 = nullptr;
    MMDB_s city{};
    bool hasCity = false;

    ~Databases()
    {
        if (v4)
            GeoIP_delete(v4);
        if (v6)
            GeoIP_delete(v6);
        if (hasCity)
            MMDB_close(&city);
    }
};

namespace {

GeoIP* openCountry(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return nullptr;
    // libgeoip prints to standard error for a file it cannot read; the check above keeps that rare.
    return GeoIP_open(process::narrowPath(file).c_str(), GEOIP_MEMORY_CACHE | GEOIP_SILENCE);
}

// A two-letter code of capitals, as the databases give it ("--" and other fillers are no country).
bool isoCode(std::string_view code)
{
    return code.size() == 2 && code[0] >= 'A' && code[0] <= 'Z' && code[1] >= 'A' && code[1] <= 'Z';
}

// The text at path in the entry, or "" when it is absent or no text.
std::string entryText(MMDB_entry_s& entry, const char* const* path)
{
    MMDB_entry_data_s data{};
    if (MMDB_aget_value(&entry, &data, path) != MMDB_SUCCESS || !data.has_data ||
        data.type != MMDB_DATA_TYPE_UTF8_STRING)
        return {};
    return std::string(data.utf8_string, data.data_size);
}

// The entry's name under key ("city", "country"): Chinese first, then English.
std::string entryName(MMDB_entry_s& entry, const char* key)
{
    for (const char* language : {"zh-CN", "en"}) {
        const char* path[] = {key, "names", language, nullptr};
        if (std::string name = entryText(entry, path); !name.empty())
            return name;
    }
    return {};
}

} // namespace

std::string Place::text() const
{
    std::string out = countryName;
    if (!out.empty() && !city.empty())
        out += ' ';
    out += city;
    return out;
}

std::filesystem::path OfflineLocator::defaultCountryDir()
{
#ifdef _WIN32
    return process::executable().parent_path() / L"GeoIP";
#else
    return "/usr/share/GeoIP";
#endif
}

std::unique_ptr<OfflineLocator> OfflineLocator::open(const std::string& cityDatabase, std::string& why,
                                                     const std::filesystem::path& countryDir)
{
    std::unique_ptr<OfflineLocator> locator(new OfflineLocator);
    locator->db_ = std::make_unique<Databases>();
    Databases& db = *locator->db_;
    db.v4 = openCountry(countryDir / "GeoIP.dat");
    db.v6 = openCountry(countryDir / "GeoIPv6.dat");
    if (!cityDatabase.empty()) {
        const int rc = MMDB_open(cityDatabase.c_str(), MMDB_MODE_MMAP, &db.city);
        if (rc != MMDB_SUCCESS) {
            why = say("无法打开位置数据库 ", "cannot open the location database ") + cityDatabase +
                  say("：", ": ") + MMDB_strerror(rc);
            return nullptr;
        }
        db.hasCity = true;
    }
    if (!db.v4 && !db.v6 && !db.hasCity) {
        const std::string file = process::argumentText(countryDir / "GeoIP.dat");
        why = say("找不到国家数据库（" + file + "，软件包 geoip-database）",
                  "no country database (" + file + ", package geoip-database)");
        return nullptr;
    }
    return locator;
}

OfflineLocator::~OfflineLocator() = default;

Place OfflineLocator::locate(std::string_view address) const
{
    Place place;
    const std::string ip(address);
    unsigned char buf[16];
    const bool whole = ip.find('\0') == std::string::npos; // inet_pton would stop at a NUL byte
    const bool v4 = whole && ::inet_pton(AF_INET, ip.c_str(), buf) == 1;
    const bool v6 = whole && !v4 && ::inet_pton(AF_INET6, ip.c_str(), buf) == 1;
    if (!v4 && !v6)
        return place; // a host name is never resolved here
    Databases& db = *db_;
    if (db.hasCity) {
        int gaiError = 0;
        int mmdbError = MMDB_SUCCESS;
        MMDB_lookup_result_s found = MMDB_lookup_string(&db.city, ip.c_str(), &gaiError, &mmdbError);
        if (gaiError == 0 && mmdbError == MMDB_SUCCESS && found.found_entry) {
            const char* isoPath[] = {"country", "iso_code", nullptr};
            if (std::string code = entryText(found.entry, isoPath); isoCode(code))
                place.country = code;
            place.city = entryName(found.entry, "city");
            if (!place.country.empty())
                place.countryName = chineseRegionName(place.country);
            if (place.countryName.empty())
                place.countryName = entryName(found.entry, "country");
        }
    }
    if (place.country.empty()) {
        const char* code = nullptr;
        if (v4 && db.v4)
            code = GeoIP_country_code_by_addr(db.v4, ip.c_str());
        else if (v6 && db.v6)
            code = GeoIP_country_code_by_addr_v6(db.v6, ip.c_str());
        const std::string_view found = code ? std::string_view(code, ::strnlen(code, 3)) : std::string_view();
        if (isoCode(found)) {
            place.country.assign(found.data(), 2);
            place.countryName = chineseRegionName(place.country);
        }
    }
    return place;
}

} // namespace vorin
