// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "ui/qtext.h"

#include "platform/gbk.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vorin {

QString qs(const std::string& gbk)
{
    return QString::fromStdString(gbk::toUtf8(gbk));
}

bool speakChinese(QCoreApplication& app)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool base = false;
    for (const QString& name : {QStringLiteral("qtbase"), QStringLiteral("qtwebengine")}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(chinese, name, QStringLiteral("_"), dir)) {
            QCoreApplication::installTranslator(translator);
            base = base || name == QStringLiteral("qtbase");
        } else {
            delete translator;
        }
    }
    return base;
}

} // namespace vorin
