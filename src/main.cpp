#include "platform/QtPlatform.h"
#include "shell/Application.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QtPlatform platform;
    return runProgram(app, platform.bundle());
}
