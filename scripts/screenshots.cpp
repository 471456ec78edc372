// Saves a picture of the frame with each window of the program open in it, for the README:
// docs/<window>.png. Runs offscreen; windows not in the program are skipped.
#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>

#include <cstdio>

#include "shell/frmMain.h"
#include "shell/services.h"
#include "shell/windows.h"
#include "tools/tools.h"

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(out);
    qb::registerAllTools();
    // Messages would wait for a click; print them instead.
    qb::setMessageSink([](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });

    qb::frmMain frame;
    frame.show();
    const auto save = [&](const QString& name) {
        QApplication::processEvents();
        const QString file = out + QStringLiteral("/%1.png").arg(name);
        if (!frame.grab().save(file))
            std::fprintf(stderr, "could not save %s\n", qPrintable(file));
        else
            std::printf("%s\n", qPrintable(file));
    };
    save(QStringLiteral("frmWhichGizmet"));
    const QStringList windows = {
        "frmEraseChunks", "frmReplaceLineFromFile", "frmCarpalTunnel", "frmHex2Dec", "frmAddExtension",
        "frmUpdateFiles", "frmFindTodos", "frmCombineFiles", "frmFindSubNFuncts", "frmMakeLinktables",
        "frmTwoTabbedRowsToCols", "frmOracleSeqTrigs"};
    for (const QString& name : windows) {
        if (!qb::isWindowRegistered(name))
            continue;
        qb::openWindow(name);
        save(name);
        if (QWidget* window = qb::findOpenWindow(name))
            window->parentWidget()->close();
    }
    return 0;
}
