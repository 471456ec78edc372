// Quillbox: the frame window opens the tool chooser; every tool is a child window.
#include <QApplication>

#include "shell/frmMain.h"
#include "tools/files/filesTools.h"
#include "tools/scan/scanTools.h"
#include "tools/sql/sqlTools.h"
#include "tools/text/textTools.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillbox.png")));

    qb::registerFileTools();
    qb::registerTextTools();
    qb::registerScanTools();
    qb::registerSqlTools();

    qb::frmMain frame;
    frame.show();
    return app.exec();
}
