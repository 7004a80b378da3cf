// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <QString>
#include <string>

namespace vorin {

// The Qt boundary of the program's GBK texts.
QString qs(const std::string& gbk);
std::string gbkOf(const QString& text);

} // namespace vorin
