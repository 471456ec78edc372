// Quillbox: without arguments the frame window opens the tool chooser and every tool is a child
// window; with arguments one tool runs as a command (shell/commandLine.h), without a display.
#include <QApplication>
#include <QCoreApplication>

#include <optional>

#include "shell/commandLine.h"
#include "shell/frmMain.h"
#include "tools/tools.h"

int main(int argc, char* argv[])
{
    qb::registerAllTools();
    if (argc > 1) {
        // Commands start without the application object; only those that read the program's
        // folder get one, and never a GUI one.
        std::optional<QCoreApplication> core;
        return qb::runCommandLine(argc, argv, [&] {
            core.emplace(argc, argv);
            QCoreApplication::setApplicationName(QStringLiteral("Quillbox"));
        });
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillbox"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillbox.png")));

    qb::frmMain frame;
    frame.show();
    return app.exec();
}
