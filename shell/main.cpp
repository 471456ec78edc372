// Quillbox: without arguments the frame window opens the tool chooser and every tool is a child
// window; with arguments one tool runs as a command (shell/commandLine.h), without a display.
#include <QApplication>

#include "shell/commandLine.h"
#include "shell/frmMain.h"
#include "shell/services.h"
#include "shell/startupProbe.h"
#include "tools/tools.h"

int main(int argc, char* argv[])
{
    qb::registerAllTools();
    // With arguments, one tool runs as a command: no application object, no display.
    if (argc > 1)
        return qb::runCommandLine(argc, argv);

    qb::prepareRuntimeFolder();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));
    QApplication::setDesktopFileName(QStringLiteral("org.quillbox.quillbox"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillbox.png")));

    qb::frmMain frame;
    frame.show();
    if (qEnvironmentVariableIsSet("QUILLBOX_STARTUP_PROBE"))
        qb::reportFirstPaint(QStringLiteral("frmWhichGizmet"));
    return app.exec();
}
