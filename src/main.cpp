#include "platform/QtPlatform.h"
#include "shell/frmControl.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QtPlatform platform;
    frmControl window(platform.bundle());
    window.Form_Load();
    if (window.NoPortAvailable)
        return 0;
    window.show();
    return app.exec();
}
