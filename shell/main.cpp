// Quillbox: the frame window opens the tool chooser; every tool is a child window.
#include <QApplication>

#include "shell/frmMain.h"
#include "shell/services.h"
#include "tools/tools.h"

int main(int argc, char* argv[])
{
    qb::prepareRuntimeFolder();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));
    QApplication::setDesktopFileName(QStringLiteral("org.quillbox.quillbox"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillbox.png")));
    qb::registerAllTools();

    qb::frmMain frame;
    frame.show();
    return app.exec();
}
