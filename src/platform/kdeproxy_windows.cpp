// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/kdeproxy.h"

namespace vorin::kdeproxy {

void sessionBusNotify() {}

} // namespace vorin::kdeproxy
