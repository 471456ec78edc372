#include "tools/files/frmReplaceLineFromFile.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/behaviours.h"
#include "shell/cp1252.h"
#include "shell/guard.h"
#include "shell/kit.h"
#include "shell/pickers.h"
#include "shell/services.h"
#include "shell/walkprogress.h"
#include "tools/files/bulkRunView.h"
#include "tools/files/replaceLines.h"

namespace qb {

frmReplaceLineFromFile::frmReplaceLineFromFile(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Form2"));
    resize(px(6000), px(6600));

    Drive1 = make<DrivePicker>(this, "Drive1");
    Dir1 = make<FolderPicker>(this, "Dir1");
    txtPath = make<QLineEdit>(this, "txtPath", QStringLiteral("Text1"));
    txtPath->setReadOnly(true);  // it only echoes the folder; the run reads Dir1
    auto* cmdBegin = make<QPushButton>(this, "cmdBegin", QStringLiteral("Command1"));

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(cmdBegin);
    buttonRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Drive1);
    layout->addWidget(Dir1, 1);
    layout->addWidget(txtPath);
    layout->addLayout(buttonRow);

    setTabChain({Drive1, Dir1, txtPath, cmdBegin});

    pairDrive(Drive1, Dir1);
    echoFolderPath(Dir1, txtPath);
    connect(cmdBegin, &QPushButton::clicked, this, guarded([this] { cmdBegin_Click(); }));
}

void frmReplaceLineFromFile::cmdBegin_Click()
{
    WalkProgressDialog progress(this, windowTitle());
    const auto report = runReplaceLines(toPath(Dir1->path()), programFolder(), progress.callback());
    if (!report) {
        showMessage(pathText(formatError(report.error())));
        return;
    }
    if (const std::string notes = runNotes(*report); !notes.empty())
        showMessage(pathText(notes));
    if (!report->failures.empty()) {
        showMessage(pathText(formatError(report->failures.front().error)));
        return;
    }
    showMessage(report->cancelled ? QStringLiteral("Cancelled.") : QStringLiteral("done with snp"));
}

}  // namespace qb
