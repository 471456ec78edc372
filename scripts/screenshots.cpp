// Saves a picture of the frame with each window of the program open in it: <folder>/<window>.png.
// Runs offscreen unless told otherwise, from a first run's settings (a temporary settings folder).
//
//   quillbox_screenshots [folder] [--only frmA,frmB] [--dark] [--font-size N] [--frame WxH] [--screen]
//
// --dark uses the Fusion style with a dark palette and a dark style sheet, --font-size sets the
// application font, --frame sizes the frame, and --screen grabs the whole screen (under a real or
// virtual X display) rather than the frame alone. QT_SCALE_FACTOR=2 gives pictures at twice the size.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>

#include "tools/files/eraseChunks.h"
#include "tools/files/frmReviewChanges.h"
#include "tools/files/review.h"
#include "ui/frmMain.h"
#include "ui/services.h"
#include "ui/windows.h"
#include "tools/registry.h"

namespace {

struct Options {
    QString folder = QStringLiteral("docs");
    QStringList only;
    bool dark = false;
    double fontSize = 0;
    QSize frame;
    bool screen = false;
};

Options readOptions(const QStringList& arguments)
{
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const QString next = i + 1 < arguments.size() ? arguments[i + 1] : QString();
        if (argument == QLatin1String("--only"))
            options.only = next.split(QLatin1Char(',')), ++i;
        else if (argument == QLatin1String("--dark"))
            options.dark = true;
        else if (argument == QLatin1String("--font-size"))
            options.fontSize = next.toDouble(), ++i;
        else if (argument == QLatin1String("--frame"))
            options.frame = QSize(next.section(QLatin1Char('x'), 0, 0).toInt(), next.section(QLatin1Char('x'), 1, 1).toInt()), ++i;
        else if (argument == QLatin1String("--screen"))
            options.screen = true;
        else
            options.folder = argument;
    }
    return options;
}

void goDark(QApplication& app)
{
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(60, 60, 64));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(38, 79, 120));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    dark.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
    dark.setColor(QPalette::Dark, QColor(25, 25, 28));
    app.setPalette(dark);
    // A style sheet of the kind users apply: roomier buttons and check boxes than the style's own.
    app.setStyleSheet(QStringLiteral("QPushButton { padding: 4px 12px; }"
                                     "QCheckBox, QRadioButton { spacing: 8px; padding: 2px; }"));
}

// The review of an Erase run over a small site: two pages lose a tracker chunk, a notes file
// with LF line ends gets CR LF copies (line ends only), a picture is binary, a page is unchanged.
void showDemoReview(const QString& scratch)
{
    namespace fs = std::filesystem;
    const fs::path site = fs::path(scratch.toStdString()) / "site";
    fs::create_directories(site / "blog");
    const auto write = [&](const char* name, std::string_view bytes) { std::ofstream(site / name, std::ios::binary) << bytes; };
    write("index.html", "<html>\r\n<head>\r\n  <title>Home</title>\r\n  <!-- analytics -->\r\n"
                        "  <script src=\"tracker.js\"></script>\r\n</head>\r\n<body>\r\n  <h1>Welcome</h1>\r\n"
                        "</body>\r\n</html>\r\n");
    write("blog/first-post.html", "<html>\r\n<head>\r\n  <title>First post</title>\r\n  <!-- analytics -->\r\n"
                                  "  <script src=\"tracker.js\"></script>\r\n  <link rel=\"stylesheet\" href=\"blog.css\">\r\n"
                                  "</head>\r\n<body>\r\n  <p>Hello.</p>\r\n</body>\r\n</html>\r\n");
    write("contact.html", "<html>\r\n<body>\r\n  <p>Write to us.</p>\r\n</body>\r\n</html>\r\n");
    write("notes.txt", "todo: move the tracker\nthen the fonts\n");
    write("logo.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    qb::EraseSettings settings{.chunk = {"<!-- analytics -->", "<script src=\"tracker.js\"></script>"},
                               .spew = "  <!-- no tracking -->\r\n",
                               .recursive = true};
    auto review = std::make_shared<qb::CopyReview>();
    (void)qb::runReviewed(qb::stampEraseRun(site, true), [&] { return qb::runEraseChunks(site, settings); }, *review);
    qb::showReview(review, QStringLiteral("Erase and Spew Chunks"));
}

}  // namespace

int main(int argc, char* argv[])
{
    const Options options = readOptions([&] {
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        return arguments;
    }());
    if (!options.screen && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Pictures show a first run: no remembered folders, no remembered frame, and the program's
    // folder (where the chunk repeater keeps its chunk) a fresh one unless one is given.
    const QTemporaryDir scratch;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch.filePath(QStringLiteral("settings")));
    if (qEnvironmentVariableIsEmpty(qb::dataFolderVariable)) {
        QDir(scratch.path()).mkpath(QStringLiteral("quillbox"));
        qputenv(qb::dataFolderVariable, QFile::encodeName(scratch.filePath(QStringLiteral("quillbox"))));
    }
    QApplication app(argc, argv);
    if (options.dark)
        goDark(app);
    if (options.fontSize > 0) {
        QFont font = QApplication::font();
        font.setPointSizeF(options.fontSize);
        QApplication::setFont(font);
    }
    QDir().mkpath(options.folder);
    qb::registerAllTools();
    // Messages would wait for a click; print them instead.
    qb::setMessageSink([](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });

    qb::frmMain frame;
    if (options.frame.isValid())
        frame.resize(options.frame);
    frame.show();
    const auto save = [&](const QString& name) {
        QApplication::processEvents();
        const QString file = options.folder + QStringLiteral("/%1.png").arg(name);
        const QPixmap picture = options.screen ? frame.screen()->grabWindow(0) : frame.grab();
        if (!picture.save(file))
            std::fprintf(stderr, "could not save %s\n", qPrintable(file));
        else
            std::printf("%s\n", qPrintable(file));
    };
    const auto wanted = [&](const QString& name) { return options.only.isEmpty() || options.only.contains(name); };
    if (wanted(QStringLiteral("frmWhichGizmet")))
        save(QStringLiteral("frmWhichGizmet"));
    const QStringList windows = {
        "frmEraseChunks", "frmReplaceLineFromFile", "frmCarpalTunnel", "frmHex2Dec", "frmAddExtension",
        "frmUpdateFiles", "frmFindTodos", "frmCombineFiles", "frmFindSubNFuncts", "frmMakeLinktables",
        "frmTwoTabbedRowsToCols", "frmOracleSeqTrigs"};
    for (const QString& name : windows) {
        if (!qb::isWindowRegistered(name) || !wanted(name))
            continue;
        qb::openWindow(name);
        save(name);
        if (QWidget* window = qb::findOpenWindow(name))
            window->parentWidget()->close();
    }
    if (wanted(QStringLiteral("frmReviewChanges"))) {
        showDemoReview(scratch.path());
        save(QStringLiteral("frmReviewChanges"));
    }
    return 0;
}
