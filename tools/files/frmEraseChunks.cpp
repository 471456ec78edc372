#include "tools/files/frmEraseChunks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

#include "ui/backgroundRun.h"
#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/pickers.h"
#include "ui/services.h"
#include "ui/windows.h"
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

frmEraseChunks::frmEraseChunks(QWidget* parent) : QWidget(parent), run_(new BackgroundRun(this))
{
    setWindowTitle(QStringLiteral("Erase a chunk of code"));
    // The window was laid out for an 8-point font (larger with a larger desktop font).
    QFont designFont = font();
    designFont.setPointSizeF(8 * designScale());
    setFont(designFont);
    QWidget* client = scrollingClient(this);
    setupControls(client);
    setupPlaces(client);
    setTabChain({Drive1, Dir1, richChunk, cmdBegin, chkGoRecursive, richSpew, chkEraseOnly, chkAllowWild,
                 chkKeepLineEnds});

    Form_Load();

    pairDrive(Drive1, Dir1);
    connect(chkEraseOnly, &QCheckBox::toggled, this, guarded([this] { chkEraseOnly_Click(); }));
    connect(cmdBegin, &QPushButton::clicked, this, guarded([this] { cmdBegin_Click(); }));
}

void frmEraseChunks::setupControls(QWidget* client)
{
    Label1 = make<QLabel>(client, "Label1", QStringLiteral("ERASE AND SPEW CHUNKS!!!!"));
    QFont titleFont(QStringLiteral("Tahoma"));
    titleFont.setPointSizeF(14.25 * designScale());
    Label1->setFont(titleFont);
    Label2 = wrapped(make<QLabel>(
        client, "Label2",
        QStringLiteral("Pick a home dir, enter text to find and erase, and hit the Start Erasing button.  Quillbox will (if "
                       "selected, recursively) search every file in the selected dir (as well as each dir beneath it if "
                       "recursive) and will erase or replace  the text wherever it's found.")));
    Drive1 = make<DrivePicker>(client, "Drive1");
    Dir1 = make<FolderPicker>(client, "Dir1");
    chkGoRecursive = make<QCheckBox>(client, "chkGoRecursive", QStringLiteral("Search &Recursively"));
    Label3_0 = make<QLabel>(client, "Label3_0", QStringLiteral("Chunk to Erase"));
    richChunk = make<QPlainTextEdit>(client, "richChunk");
    Label3_0->setBuddy(richChunk);
    Label3_1 = make<QLabel>(client, "Label3_1", QStringLiteral("Chunk to Spew"));
    richSpew = make<QPlainTextEdit>(client, "richSpew");
    Label3_1->setBuddy(richSpew);
    setBoxBytes(richSpew, defaultSpew);
    chkEraseOnly = make<QCheckBox>(client, "chkEraseOnly", QStringLiteral("Select to &erase chunks only (and ignore spews)."));
    chkAllowWild = make<QCheckBox>(client, "chkAllowWild", QStringLiteral("&Allow \u00A2 as a wld card"));
    chkAllowWild->setChecked(true);
    chkKeepLineEnds = keepLineEndsBox(client);
    cmdBegin = make<QPushButton>(client, "cmdBegin", QStringLiteral("&Start Erasing"));
}

// The controls stand where the window's twips put them, except that the folder picker's column is
// wide enough for a real path and the controls to its right stand that much further right. Beyond
// the design size, the picker takes a quarter of the extra width and all the extra height, the
// two chunk boxes the rest of the width and half the height each; the captions, check boxes and
// the button follow the edge of their box or the bottom.
void frmEraseChunks::setupPlaces(QWidget* client)
{
    const double scale = designScale();
    const int pickerTwips = static_cast<int>(Dir1->minimumSizeHint().width() * 15 / scale) + 1;
    const int w = std::max(0, pickerTwips - 1935);
    designInTwips(client, {10605 + w, 9630});
    const float side = 0.25f, boxes = 1 - side;
    placeTwips(Label1, {120, 120, 4215, 495});
    placeTwips(Label2, {120, 1080, 9855 + w, 375}, {0, 1, 0, 0});
    placeTwips(Drive1, {120, 1920, 1935 + w, 315}, {0, side, 0, 0});
    placeTwips(Dir1, {120, 2400, 1935 + w, 5040}, {0, side, 0, 1});
    placeTwips(chkGoRecursive, {120, 7560, 1935 + w, 495}, {0, side, 1, 0});
    placeTwips(Label3_0, {2400 + w, 1560, 1215, 255}, {side, 0, 0, 0});
    placeTwips(richChunk, {2400 + w, 1920, 7695, 2775}, {side, boxes, 0, 0.5f});
    placeTwips(Label3_1, {2400 + w, 4800, 1215, 255}, {side, 0, 0.5f, 0});
    placeTwips(richSpew, {2400 + w, 5160, 7695, 2295}, {side, boxes, 0.5f, 0.5f});
    placeTwips(chkEraseOnly, {2400 + w, 7560, 3855, 495}, {side, 0, 1, 0});
    placeTwips(chkAllowWild, {2400 + w, 8040, 3975, 495}, {side, 0, 1, 0});
    placeTwips(chkKeepLineEnds, {6480 + w, 8640, 2055, 495}, {side, 0, 1, 0});
    placeTwips(cmdBegin, {4080 + w, 8640, 1215, 495}, {side, 0, 1, 0});
    resize(scaledPx(10605 + w), scaledPx(9630));
}

void frmEraseChunks::Form_Load()
{
    // The pickers start on the program's folder, the drive picker on the drive that holds it.
    // There are no drive letters here, so there is no "C:" to move on to, and selecting the
    // drive must not move the folder picker to the drive's root.
    const QString home = fromPath(programFolder());
    Dir1->setPath(home);
    Drive1->showDriveOf(home);
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
    // Typed text goes into each file in the file's own encoding; a spew that is not written does
    // not count.
    setTypedText(settings, boxUtf8(richChunk), chkEraseOnly->isChecked() ? std::string() : boxUtf8(richSpew));
    if (settings.chunk.empty()) {
        showMessage(QStringLiteral("There is no chunk to erase: type at least one line of text into \"Chunk to "
                                   "Erase\". Nothing was written."));
        return;
    }
    settings.options.allowWild = chkAllowWild->isChecked();
    settings.options.eraseOnly = chkEraseOnly->isChecked();
    settings.recursive = chkGoRecursive->isChecked();
    settings.ends = chkKeepLineEnds->isChecked() ? LineEnds::Keep : LineEnds::CrLf;

    run_->start([base = toPath(Dir1->path()), settings](ProgressCallback progress) {
        return runEraseChunks(base, settings, std::move(progress));
    }, [this](const Result<RunReport>& report) { showRun(report); });
}

void frmEraseChunks::showRun(const Result<RunReport>& report)
{
    if (!report) {
        showError(report.error());
        return;
    }
    const RunCounts& counts = report->counts;
    const QString changed = QLocale().toString(static_cast<qulonglong>(counts.changed));
    showStatus(this, QStringLiteral("Erase: ") + counted(counts.files, QStringLiteral("file read"), QStringLiteral("files read")) +
                         QStringLiteral(", ") + changed + QStringLiteral(" with chunks changed, ") +
                         counted(counts.written, QStringLiteral("copy"), QStringLiteral("copies")) +
                         QStringLiteral(" written below ") + fromPath(toPath(Dir1->path()) / "copies") +
                         summaryEnd(*report));
    if (const std::string text = endOfRunText(*report); !text.empty())
        showMessage(pathText(text));
    showMessage(report->cancelled ? QStringLiteral("Cancelled.") : QStringLiteral("Done."));
}

}  // namespace qb
