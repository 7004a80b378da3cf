// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/download.h"

#include "platform/curlinit.h"
#include "platform/hostport.h"
#include "platform/process.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <mutex>

#ifdef _WIN32
#include "platform/widetext.h"

#include <windows.h>
#endif

namespace vorin {

void curlGlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string curlCredential(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size());
    for (char c : raw)
        out += c == '%' ? std::string("%25") : std::string(1, c);
    return out;
}

std::optional<HostSpan> internationalHost(std::string_view url)
{
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return std::nullopt;
    const std::size_t start = scheme + 3;
    const std::size_t end = std::min(url.find_first_of("/?#", start), url.size());
    const std::string_view authority = url.substr(start, end - start);
    const std::size_t at = authority.rfind('@');
    const std::size_t hostStart = at == std::string_view::npos ? 0 : at + 1;
    const std::size_t hostEnd = std::min(authority.find(':', hostStart), authority.size());
    const std::string_view host = authority.substr(hostStart, hostEnd - hostStart);
    if (std::all_of(host.begin(), host.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return std::nullopt;
    return HostSpan{start + hostStart, start + hostEnd};
}

std::string curlUrl(const std::string& url)
{
#ifdef _WIN32
    const std::optional<HostSpan> host = internationalHost(url);
    if (!host)
        return url;
    const std::wstring name =
        wide::fromUtf8(std::string_view(url).substr(host->begin, host->end - host->begin));
    wchar_t ascii[256];
    const int n = IdnToAscii(0, name.c_str(), static_cast<int>(name.size()), ascii, 256);
    if (n <= 0)
        return url; // not a name Windows can convert: libcurl says why
    return url.substr(0, host->begin) + wide::toUtf8(std::wstring_view(ascii, static_cast<std::size_t>(n))) +
           url.substr(host->end);
#else
    return url;
#endif
}

void curlCommonOptions(void* easy)
{
    if (const char* bundle = std::getenv("VORIN_CA_BUNDLE"); bundle && *bundle)
        curl_easy_setopt(static_cast<CURL*>(easy), CURLOPT_CAINFO, bundle);
#ifdef _WIN32
    curl_easy_setopt(static_cast<CURL*>(easy), CURLOPT_SSL_OPTIONS,
                     static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
#endif
}

} // namespace vorin

namespace vorin::download {
namespace {

std::mutex settingsMutex;
Limits currentLimits;
ProxyEntry currentProxy;

struct Transfer {
    std::FILE* out = nullptr;
    bool writeFailed = false;
    std::uint64_t written = 0;
    std::uint64_t maxBytes = 0;
    bool tooLarge = false;
    const std::atomic<bool>* cancel = nullptr;
};

std::size_t onData(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    std::size_t n = size * count;
    // curl enforces the size cap only for answers that announce their length; a chunked answer, or a
    // compressed one that unpacks to far more, is stopped here.
    t->written += n;
    if (t->written > t->maxBytes) {
        t->tooLarge = true;
        return 0;
    }
    if (std::fwrite(data, 1, n, t->out) != n) {
        t->writeFailed = true;
        return 0; // makes curl stop with a write error
    }
    return n;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* t = static_cast<Transfer*>(user);
    return t->cancel && t->cancel->load() ? 1 : 0;
}

} // namespace

const char* userAgent()
{
    return "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1; .NET CLR 2.0.50727)";
}

void setLimits(const Limits& limits)
{
    std::lock_guard lock(settingsMutex);
    currentLimits = limits;
}

Limits limits()
{
    std::lock_guard lock(settingsMutex);
    return currentLimits;
}

void setProcessProxy(const ProxyEntry& proxy)
{
    std::lock_guard lock(settingsMutex);
    currentProxy = proxy;
}

void setProcessProxy(const std::string& hostPort)
{
    setProcessProxy(ProxyEntry{HostPort::parse(hostPort), {}, {}});
}

std::string processProxy()
{
    std::lock_guard lock(settingsMutex);
    return currentProxy.endpoint.empty() ? std::string() : currentProxy.endpoint.text();
}

Result toFile(const std::string& url, const std::filesystem::path& file, const std::atomic<bool>* cancel)
{
    curlGlobalInit();
    const Limits lim = limits();
    // The kind is the entry's, never read from the text; a proxy that names no endpoint fails the download
    // rather than letting libcurl read a scheme or a path out of it.
    ProxyEntry entry;
    {
        std::lock_guard lock(settingsMutex);
        entry = currentProxy;
    }
    const HostPort& proxy = entry.endpoint;
    if (!proxy.empty() && !proxy.valid())
        return Result::Failed;

    // The part file sits beside the file, named for this process and call, so a failed download leaves
    // the earlier file untouched.
    static std::atomic<unsigned> serial{0};
    std::filesystem::path partName = file;
    partName += ".part" + std::to_string(process::id()) + "-" + std::to_string(++serial);
    Transfer t;
    t.out = process::createNewFile(partName);
    t.cancel = cancel;
    t.maxBytes = lim.maxBytes;
    if (!t.out)
        return Result::FileError;

    CURL* curl = curl_easy_init();
    CURLcode rc = CURLE_FAILED_INIT;
    long status = 0;
    if (curl) {
        curlCommonOptions(curl);
        const std::string target = curlUrl(url);
        curl_easy_setopt(curl, CURLOPT_URL, target.c_str());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
        curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent());
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(lim.connect.count()));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(lim.total.count()));
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(lim.maxBytes));
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, ""); // whatever the server compresses with
        // An empty proxy switches proxies off, the environment's included: the process proxy alone decides.
        curl_easy_setopt(curl, CURLOPT_PROXY, proxy.host.c_str());
        if (!proxy.empty()) {
            curl_easy_setopt(curl, CURLOPT_PROXYPORT, static_cast<long>(proxy.portNumber()));
            // Names go to a SOCKS proxy as names: this machine's resolver is not asked.
            const Protocol kind = kindOf(entry);
            curl_easy_setopt(curl, CURLOPT_PROXYTYPE,
                             static_cast<long>(kind == Protocol::Socks5   ? CURLPROXY_SOCKS5_HOSTNAME
                                               : kind == Protocol::Socks4 ? CURLPROXY_SOCKS4A
                                                                          : CURLPROXY_HTTP));
            if (kind == Protocol::Https)
                curl_easy_setopt(curl, CURLOPT_HTTPPROXYTUNNEL, 1L);
            if (!entry.credentials.empty()) {
                const auto [user, password] = splitCredentials(entry.credentials);
                curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, curlCredential(user).c_str());
                curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, curlCredential(password).c_str());
            }
        }
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onData);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        rc = curl_easy_perform(curl);
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_cleanup(curl);
    }
    bool closed = std::fclose(t.out) == 0;

    Result result = Result::Ok;
    if (rc == CURLE_ABORTED_BY_CALLBACK)
        result = Result::Cancelled;
    else if (t.tooLarge)
        result = Result::Failed;
    else if (t.writeFailed || !closed)
        result = Result::FileError;
    else if (rc != CURLE_OK || status >= 400)
        result = Result::Failed;

    if (result == Result::Ok) {
        std::error_code ec;
        std::filesystem::rename(partName, file, ec);
        if (!ec)
            return Result::Ok;
        result = Result::FileError;
    }
    std::error_code ec;
    std::filesystem::remove(partName, ec);
    return result;
}

} // namespace vorin::download
