// quillbox-window: the frame window opens the tool chooser and every tool is a child window.
// Users start it through `quillbox` (app/quillbox.cpp), which hands its process over to it.
#include <QApplication>

#include "core/commandLine.h"
#include "core/dataFolder.h"
#include "tools/registry.h"
#include "ui/frmMain.h"
#include "ui/services.h"
#include "ui/startupProbe.h"

#include <cstdlib>

namespace {

QtMessageHandler qtMessages = nullptr;

// While the application object starts: a display that cannot be reached ends the program with
// the command line's hint and exit status 2, rather than an abort.
void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        qtMessages(type, context, message);
        return;
    }
    std::_Exit(qb::noDisplay());
}

}  // namespace

int main(int argc, char* argv[])
{
    qb::adoptStartedProgramFolder();
    qb::registerAllTools();
    if (!qb::displayAvailable())
        return qb::noDisplay();

    qb::prepareRuntimeFolder();
    qtMessages = qInstallMessageHandler(startupMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtMessages);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));
    QApplication::setDesktopFileName(QStringLiteral("org.quillbox.quillbox"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillbox.png")));

    qb::frmMain frame;
    frame.show();
    if (qEnvironmentVariableIsSet("QUILLBOX_STARTUP_PROBE"))
        qb::reportFirstPaint(QStringLiteral("frmWhichGizmet"));
    return app.exec();
}
