// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/hostport.h"

#include <string>

// What the browser pane's pages go through: this process's URL sessions (the WebBrowser control's) and the
// system's URL cache that they share with WinINet. Main thread.
namespace vorin::win32::urlsession {

// The proxy of this process's URL sessions: proxy in its kind ("socks=host:port" for SOCKS), or direct
// when it names none; local names go direct.
void setProxy(const ProxyEntry& proxy);

// Deletes every normal entry of the URL cache whose address contains urlPart (byte for byte, as cased).
// Returns how many were deleted.
int purge(const std::wstring& urlPart);

} // namespace vorin::win32::urlsession
