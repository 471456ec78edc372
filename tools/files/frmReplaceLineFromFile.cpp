#include "tools/files/frmReplaceLineFromFile.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/backgroundRun.h"
#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/pickers.h"
#include "ui/services.h"
#include "ui/windows.h"
#include "tools/files/bulkRunView.h"
#include "tools/files/replaceLines.h"

namespace qb {

frmReplaceLineFromFile::frmReplaceLineFromFile(QWidget* parent) : QWidget(parent), run_(new BackgroundRun(this))
{
    setWindowTitle(QStringLiteral("Form2"));
    resize(px(6000), px(6600));
    QWidget* client = scrollingClient(this);
    Drive1 = make<DrivePicker>(client, "Drive1");
    Dir1 = make<FolderPicker>(client, "Dir1");
    txtPath = make<QLineEdit>(client, "txtPath", QStringLiteral("Text1"));
    auto* cmdBegin = make<QPushButton>(client, "cmdBegin", QStringLiteral("&Command1"));
    explainControls(cmdBegin);
    chkKeepLineEnds = keepLineEndsBox(client);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(cmdBegin);
    buttonRow->addWidget(chkKeepLineEnds);
    buttonRow->addStretch();
    auto* layout = new QVBoxLayout(client);
    layout->addWidget(Drive1);
    layout->addWidget(Dir1, 1);
    layout->addWidget(txtPath);
    layout->addLayout(buttonRow);

    setTabChain({Drive1, Dir1, txtPath, cmdBegin, chkKeepLineEnds});

    pairDrive(Drive1, Dir1);
    echoFolderPath(Dir1, txtPath);
    connect(cmdBegin, &QPushButton::clicked, this, guarded([this] { cmdBegin_Click(); }));
}

// The window, its path box and its button keep their placeholder captions; these say what they do.
void frmReplaceLineFromFile::explainControls(QWidget* cmdBegin)
{
    const QString pairs = QStringLiteral("The pairs come from \"replaceLines.txt\" in the program's folder: its odd "
                                         "lines (1, 3, 5, ...) are what to find, and the even line after each is its "
                                         "replacement.");
    explainWindow(this, QStringLiteral("Search and Replace from file: applies search-and-replace pairs to every line "
                                       "of every file in the folder, writing changed copies below \"copies\". ") +
                            pairs);
    explain(txtPath, QStringLiteral("The folder whose files are changed. Type or paste a folder and press Enter to "
                                    "go there."));
    txtPath->setAccessibleName(QStringLiteral("Folder path"));
    explain(cmdBegin, QStringLiteral("Start: every file directly in the folder gets a changed copy below \"copies\". ") +
                          pairs);
}

void frmReplaceLineFromFile::cmdBegin_Click()
{
    run_->start([folder = toPath(Dir1->path()), program = programFolder(),
                 ends = chkKeepLineEnds->isChecked() ? LineEnds::Keep : LineEnds::CrLf](ProgressCallback progress) {
        return runReplaceLines(folder, program, std::move(progress), ends);
    }, [this](const Result<RunReport>& report) { showRun(report); });
}

void frmReplaceLineFromFile::showRun(const Result<RunReport>& report)
{
    if (!report) {
        showError(report.error());
        return;
    }
    showStatus(this, QStringLiteral("Search and Replace: ") +
                         counted(report->counts.files, QStringLiteral("file read"), QStringLiteral("files read")) +
                         QStringLiteral(", ") + counted(report->counts.written, QStringLiteral("copy"), QStringLiteral("copies")) +
                         QStringLiteral(" written below ") + fromPath(toPath(Dir1->path()) / "copies") + summaryEnd(*report));
    if (const std::string notes = runNotes(*report); !notes.empty())
        showMessage(pathText(notes));
    if (!report->failures.empty()) {
        showError(report->failures.front().error);
        return;
    }
    showMessage(report->cancelled ? QStringLiteral("Cancelled.") : QStringLiteral("done with snp"));
}

}  // namespace qb
