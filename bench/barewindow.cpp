// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The baseline of the start-up benchmark: a bare Qt widget window of the main window's size, nothing in it.
// With --shared-gl it first asks for the shared OpenGL context that the browser engine needs before the
// application object exists, as the program does: what that alone costs.
#include <QApplication>
#include <QWidget>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--shared-gl") == 0)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(690, 505);
    window.show();
    return app.exec();
}
