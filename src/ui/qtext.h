// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <QCoreApplication>
#include <QString>
#include <string>

namespace vorin {

// The Qt boundary of the program's GBK texts.
QString qs(const std::string& gbk);

// The window speaks Chinese whatever the machine's locale: Qt's own texts (dialog buttons, file dialogs,
// context menus, the browser pane's) come from Qt's zh_CN translations, installed into app. Returns
// whether Qt's base translations were found.
bool speakChinese(QCoreApplication& app);

} // namespace vorin
