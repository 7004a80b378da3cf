// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "cli/options.h"

#include <cstdio>

namespace vorin::cli {

// vorindaili-cli proxy set|stop|show: the system proxy switched as the window's buttons switch it (the
// store, the desktop, proxy.env), or shown on out (host:port, an empty line when off). A desktop whose own
// proxy differs from the store is said on err. Returns the exit status: 1 when the store cannot be written.
int proxyCommand(const Options& options, std::FILE* out, std::FILE* err);

} // namespace vorin::cli
