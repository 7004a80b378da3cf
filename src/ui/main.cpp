// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Program entry: the application object, the main window, the message loop.
#include "platform/clock.h"
#include "qtloop/qtdispatcher.h"
#include "ui/mainform.h"
#include "ui/qtext.h"

#include <QApplication>
#include <QIcon>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    // The embedded browser must not make Chromium's own background calls home; the pane shows only the
    // pages the program sends it to.
    std::string flags = "--disable-background-networking --disable-component-update --no-first-run";
    if (const char* extra = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS"))
        flags = std::string(extra) + " " + flags;
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.c_str(), 1);

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    vorin::speakChinese(app);
    // The menu entry and the icon the desktop shows for the window (installed under these names).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vorinsoft.vorindaili"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("vorindaili")));
    vorin::QtDispatcher dispatcher;
    vorin::SystemClock clock;
    vorin::MainForm form(dispatcher, clock, vorin::Endpoints::fromEnvironment());
    form.show();
    int rc = app.exec();
    dispatcher.close();
    return rc;
}
