// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "ui/qtext.h"

#include "platform/gbk.h"

namespace vorin {

QString qs(const std::string& gbk)
{
    return QString::fromStdString(gbk::toUtf8(gbk));
}

std::string gbkOf(const QString& text)
{
    return gbk::fromUtf8(text.toStdString());
}

} // namespace vorin
