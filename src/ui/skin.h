// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <QImage>

namespace vorin::skin {

// The skin picture of a control (its layout name: "pan_top", "BTN_SAVE", ...), decoded once from the
// program's resources on first use; a null image when there is none. Main thread.
const QImage& picture(const char* name);

} // namespace vorin::skin
