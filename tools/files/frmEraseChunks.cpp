#include "tools/files/frmEraseChunks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>

#include <algorithm>

#include "shell/behaviours.h"
#include "shell/cp1252.h"
#include "shell/guard.h"
#include "shell/kit.h"
#include "shell/pickers.h"
#include "shell/services.h"
#include "shell/walkprogress.h"
#include "tools/files/bulkRunView.h"
#include "tools/files/eraseChunks.h"

namespace qb {

namespace {

// The chunk the window starts with, one line per entry.
constexpr const char* defaultChunk[] = {
    "<SIMPLERENDERER>",
    "<SIMPLEPOLYGONSYMBOL boundarytransparency=\"1.0\" filltransparency=\"0.0\" boundarywidth=\"2\" "
    "boundarycaptype=\"round\" boundarycolor=\"151,71,73\" />",
    "</SIMPLERENDERER>",
    "</LAYER>",
};

}  // namespace

frmEraseChunks::frmEraseChunks(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Erase a chunk of code"));
    resize(px(10605), px(9630));
    setupControls();
    setTabChain({Drive1, Dir1, richChunk, cmdBegin, chkGoRecursive, richSpew, chkEraseOnly, chkAllowWild});

    Form_Load();

    pairDrive(Drive1, Dir1);
    connect(chkEraseOnly, &QCheckBox::toggled, this, guarded([this] { chkEraseOnly_Click(); }));
    connect(cmdBegin, &QPushButton::clicked, this, guarded([this] { cmdBegin_Click(); }));
}

void frmEraseChunks::setupControls()
{
    // The window was laid out for an 8-point font; its title has a font of its own.
    QFont designFont = font();
    designFont.setPointSize(8);
    setFont(designFont);
    auto* Label1 = make<QLabel>(this, "Label1", QStringLiteral("ERASE AND SPEW CHUNKS!!!!"));
    QFont titleFont(QStringLiteral("Tahoma"));
    titleFont.setPointSizeF(14.25);
    Label1->setFont(titleFont);
    placeTwips(Label1, {120, 120, 4215, 495});
    placeTwips(Drive1 = make<DrivePicker>(this, "Drive1"), {120, 1920, 1935, 315});
    placeTwips(Dir1 = make<FolderPicker>(this, "Dir1"), {120, 2400, 1935, 5040});
    placeTwips(richChunk = make<QPlainTextEdit>(this, "richChunk"), {2400, 1920, 7695, 2775});
    placeTwips(cmdBegin = make<QPushButton>(this, "cmdBegin", QStringLiteral("Start Erasing")), {4080, 8640, 1215, 495});
    Label2 = wrapped(make<QLabel>(
        this, "Label2",
        QStringLiteral("Pick a home dir, enter text to find and erase, and hit the Start Erasing button.  Quillbox will (if "
                       "selected, recursively) search every file in the selected dir (as well as each dir beneath it if "
                       "recursive) and will erase or replace  the text wherever it's found.")));
    placeTwips(Label2, {120, 1080, 9855, 375});
    chkGoRecursive = make<QCheckBox>(this, "chkGoRecursive", QStringLiteral("Search Recursively"));
    placeTwips(chkGoRecursive, {120, 7560, 1935, 495});
    placeTwips(richSpew = make<QPlainTextEdit>(this, "richSpew"), {2400, 5160, 7695, 2295});
    setBoxBytes(richSpew, "smack\r\n");
    placeTwips(make<QLabel>(this, "Label3_0", QStringLiteral("Chunk to Erase")), {2400, 1560, 1215, 255});
    placeTwips(make<QLabel>(this, "Label3_1", QStringLiteral("Chunk to Spew")), {2400, 4800, 1215, 255});
    chkEraseOnly = make<QCheckBox>(this, "chkEraseOnly", QStringLiteral("Select to erase chunks only (and ignore spews)."));
    placeTwips(chkEraseOnly, {2400, 7560, 3855, 495});
    chkAllowWild = make<QCheckBox>(this, "chkAllowWild", QStringLiteral("Allow \u00A2 as a wld card"));
    placeTwips(chkAllowWild, {2400, 8040, 3975, 495});
    chkAllowWild->setChecked(true);
}

void frmEraseChunks::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The instructions use the window's whole width, so they keep to their two lines.
    Label2->resize(std::max(px(9855), width() - 2 * Label2->x()), Label2->height());
}

void frmEraseChunks::Form_Load()
{
    // The pickers start on the program's folder, the drive picker on the drive that holds it.
    // There are no drive letters here, so there is no "C:" to move on to, and selecting the
    // drive must not move the folder picker to the drive's root.
    const QString home = fromPath(programFolder());
    Dir1->setPath(home);
    {
        const QSignalBlocker quiet(Drive1);
        const int index = Drive1->findText(QStorageInfo(home).rootPath());
        if (index >= 0)
            Drive1->setCurrentIndex(index);
    }
    std::string chunk;
    for (const char* line : defaultChunk) {
        if (!chunk.empty())
            chunk += "\r\n";
        chunk += line;
    }
    setBoxBytes(richChunk, chunk);
}

void frmEraseChunks::chkEraseOnly_Click()
{
    richSpew->setVisible(!chkEraseOnly->isChecked());
}

void frmEraseChunks::cmdBegin_Click()
{
    EraseSettings settings;
    settings.chunk = chunkLines(boxBytes(richChunk));
    if (settings.chunk.empty()) {
        showMessage(QStringLiteral("There is no chunk to erase: type at least one line of text into \"Chunk to "
                                   "Erase\". Nothing was written."));
        return;
    }
    settings.spew = boxBytes(richSpew);
    settings.options.allowWild = chkAllowWild->isChecked();
    settings.options.eraseOnly = chkEraseOnly->isChecked();
    settings.recursive = chkGoRecursive->isChecked();

    WalkProgressDialog progress(this, windowTitle());
    const auto report = runEraseChunks(toPath(Dir1->path()), settings, progress.callback());
    if (!report) {
        showMessage(pathText(formatError(report.error())));
        return;
    }
    if (const std::string text = endOfRunText(*report); !text.empty())
        showMessage(pathText(text));
    showMessage(report->cancelled ? QStringLiteral("Cancelled.") : QStringLiteral("Done."));
}

}  // namespace qb
