// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vorin {

// libcurl's process-wide set-up, done once before the first transfer from whatever thread comes first.
void curlGlobalInit();

// What every transfer of the program sets whatever it fetches: on Windows, a certificate whose revocation
// server cannot be reached (behind a proxy, or offline) is taken as not revoked, as browsers take it, rather
// than failing the download. With VORIN_CA_BUNDLE naming a file of PEM certificates, those are the
// authorities TLS trusts instead of the system's (a company's own authority; tests' loopback judges).
void curlCommonOptions(void* easy);

// A proxy's user name or password as libcurl is to be given it: libcurl percent-decodes what it is handed,
// so a '%' goes as "%25" and the proxy receives the credential exactly as written, as the relay and the
// desktops pass it on.
std::string curlCredential(std::string_view raw);

// The URL as libcurl is to be given it: on Windows an international host name (UTF-8) in its ASCII form
// ("xn--…"), which libcurl there makes only for direct connections and not for a request through a proxy;
// unchanged on Linux, whose libcurl converts it everywhere, and for any URL already ASCII.
std::string curlUrl(const std::string& url);

// Where the host of a URL with an international name is: its bytes' offsets (after the scheme's "://" and
// any user's "name@", before a port, a path, a query or a fragment); nothing when the host is ASCII or the
// text names no scheme.
struct HostSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};
std::optional<HostSpan> internationalHost(std::string_view url);

} // namespace vorin
