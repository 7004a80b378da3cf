// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

namespace vorin {

// libcurl's process-wide set-up, done once before the first transfer from whatever thread comes first.
void curlGlobalInit();

} // namespace vorin
