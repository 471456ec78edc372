#include "tools/files/frmUpdateFiles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

#include "core/lineEnds.h"
#include "ui/backgroundRun.h"
#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/editor.h"
#include "core/dataFolder.h"
#include "core/fs.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/pickers.h"
#include "ui/services.h"
#include "ui/settings.h"
#include "ui/windows.h"
#include "tools/files/bulkRunView.h"
#include "tools/files/updateFiles.h"

namespace qb {

frmUpdateFiles::frmUpdateFiles(QWidget* parent) : QWidget(parent), run_(new BackgroundRun(this))
{
    setWindowTitle(QStringLiteral("Form1"));
    explainWindow(this, QStringLiteral("Update a file over multiple directories: each listed file is copied over "
                                       "every file of the same name in the folder and its subfolders, and each old "
                                       "version is kept as a time-stamped backup."));
    resize(px(11400), px(9000));
    QWidget* client = scrollingClient(this);
    setupControls(client);
    setupLayout(client);
    setTabChain({Drive1, Dir1, txtNewFilePath, cmdGetNewFile, cmdView, cmdGo, rich1, richReplaced, cmdAddFile_1, List1,
                 cmdRemove, cmdPreview});

    pairDrive(Drive1, Dir1);
    connect(cmdGetNewFile, &QPushButton::clicked, this, guarded([this] { cmdGetNewFile_Click(); }));
    connect(cmdAddFile_1, &QPushButton::clicked, this, guarded([this] { cmdAddFile_Click(1); }));
    connect(cmdView, &QPushButton::clicked, this, guarded([this] { cmdView_Click(); }));
    connect(cmdGo, &QPushButton::clicked, this, guarded([this] { cmdGo_Click(); }));
    connect(cmdPreview, &QPushButton::clicked, this, guarded([this] { cmdPreview_Click(); }));

    Form_Load();
}

void frmUpdateFiles::setupControls(QWidget* client)
{
    Label1 = wrapped(make<QLabel>(client, "Label1",
                                  QStringLiteral("Copy this file over top of any files with the same name (backing up "
                                                 "the old versions) in the selected directory and subdirectories...")));
    txtNewFilePath = make<QLineEdit>(client, "txtNewFilePath");
    cmdGetNewFile = make<QPushButton>(client, "cmdGetNewFile", QStringLiteral("&Browse"));
    cmdAddFile_1 = make<QPushButton>(client, "cmdAddFile_1", QStringLiteral("&Add File to List -->"));
    Label4 = wrapped(make<QLabel>(client, "Label4", QStringLiteral("Files to be updated:")));
    List1 = make<QListWidget>(client, "List1");
    cmdView = make<QPushButton>(client, "cmdView", QStringLiteral("&View selected file -->"));
    rich1 = make<QPlainTextEdit>(client, "rich1");
    Label2 = wrapped(make<QLabel>(
        client, "Label2",
        QStringLiteral("... starting with any files in this directory, and recursing this dir's subdirectories")));
    Drive1 = make<DrivePicker>(client, "Drive1");
    Dir1 = make<FolderPicker>(client, "Dir1");
    label3 = wrapped(make<QLabel>(client, "label3", QStringLiteral("Files updated:")));
    richReplaced = make<QPlainTextEdit>(client, "richReplaced");
    richReplaced->setLineWrapMode(QPlainTextEdit::NoWrap);
    replacedLinks_ = new LineLinks(richReplaced, [this](int line) -> std::optional<FilePlace> {
        if (line < 0 || static_cast<std::size_t>(line) >= replacedLines_.size())
            return std::nullopt;
        return FilePlace{replacedLines_[static_cast<std::size_t>(line)], 1};
    });
    Label1->setBuddy(txtNewFilePath);
    Label4->setBuddy(List1);
    Label2->setBuddy(Dir1);
    label3->setBuddy(richReplaced);
    rich1->setAccessibleName(QStringLiteral("Viewed file"));
    filePathBox(txtNewFilePath);
    filePathList(List1);
    // A wrong entry would come back with the remembered list and be processed on every run.
    cmdRemove = make<QPushButton>(client, "cmdRemove", QStringLiteral("&Remove"));
    explain(cmdRemove, QStringLiteral("Remove the selected file from the list (Delete)"));
    editableList(List1, cmdRemove);
    cmdPreview = make<QPushButton>(client, "cmdPreview", QStringLiteral("&Preview"));
    explain(cmdPreview, QStringLiteral("List the files GO!!! would replace, and say which it would refuse and why, "
                                       "without writing anything"));
    cmdGo = make<QPushButton>(client, "cmdGo", QStringLiteral("&GO!!!"));
    QFont large = cmdGo->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.8);
    cmdGo->setFont(large);
    cmdGo->setMinimumHeight(px(900));
}

// Left: the new file, its buttons and the folder; right: the list, the viewed file, the result.
void frmUpdateFiles::setupLayout(QWidget* client)
{
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(txtNewFilePath, 1);
    pathRow->addWidget(cmdGetNewFile);
    auto* left = new QVBoxLayout;
    left->addWidget(Label1);
    left->addLayout(pathRow);
    left->addWidget(cmdAddFile_1, 0, Qt::AlignRight);
    left->addWidget(cmdView, 0, Qt::AlignRight);
    left->addWidget(Label2);
    left->addWidget(Drive1);
    left->addWidget(Dir1, 1);
    left->addWidget(cmdPreview, 0, Qt::AlignRight);
    left->addWidget(cmdGo);
    auto* right = new QVBoxLayout;
    right->addWidget(Label4);
    right->addWidget(List1, 1);
    right->addWidget(cmdRemove, 0, Qt::AlignRight);
    right->addWidget(rich1, 2);
    right->addWidget(label3);
    right->addWidget(richReplaced, 2);
    auto* layout = new QHBoxLayout(client);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);
}

void frmUpdateFiles::Form_Load()
{
    // Focus given before the window is placed in the frame would keep it from maximising, so a
    // window not shown yet takes it when it is shown.
    if (isVisible())
        txtNewFilePath->setFocus();
    else
        focusOnShow_ = true;
    List1->clear();
}

void frmUpdateFiles::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (std::exchange(focusOnShow_, false))
        txtNewFilePath->setFocus();
}

void frmUpdateFiles::cmdGetNewFile_Click()
{
    // The dialog starts in the program's folder; one that cannot be opened is reported instead.
    const auto start = FileSystemObject().GetFolder(programFolder());
    if (!start) {
        showError(start.error());
        return;
    }
    FileDialogRequest request;
    request.folder = fromPath(start->Path());
    request.existingOnly = true;
    const QStringList chosen = askForFiles(this, request);
    if (!chosen.isEmpty())
        lastChosenFile_ = chosen.first();
    txtNewFilePath->setText(lastChosenFile_);
}

void frmUpdateFiles::cmdAddFile_Click(short)
{
    List1->addItem(txtNewFilePath->text());
}

void frmUpdateFiles::cmdView_Click()
{
    const auto contents = FileSystemObject().readFileBytes(toPath(txtNewFilePath->text()));
    if (!contents) {
        showError(contents.error());
        return;
    }
    setBoxText(rich1, fileText(*contents));
}

std::vector<std::filesystem::path> frmUpdateFiles::listedNewFiles() const
{
    std::vector<std::filesystem::path> newFiles;
    newFiles.reserve(static_cast<std::size_t>(List1->count()));
    for (int row = 0; row < List1->count(); ++row)
        newFiles.push_back(toPath(List1->item(row)->text()));
    return newFiles;
}

void frmUpdateFiles::cmdGo_Click()
{
    richReplaced->clear();
    // The backup stamps are made on the run's thread (the time stamp is safe on any thread).
    run_->start([newFiles = listedNewFiles(), start = toPath(Dir1->path()), data = programFolder()](ProgressCallback progress) {
        return updateFiles(newFiles, start, fileNameTimeStampNow, std::move(progress), data);
    }, [this](const RunReport& run) { showRun(run); });
}

void frmUpdateFiles::cmdPreview_Click()
{
    richReplaced->clear();
    run_->start([newFiles = listedNewFiles(), start = toPath(Dir1->path())](ProgressCallback progress) {
        return listUpdates(newFiles, start, fileNameTimeStampNow, std::move(progress));
    }, [this](const RunReport& run) { showRun(run, true); });
}

void frmUpdateFiles::showRun(const RunReport& run, bool preview)
{
    setPathBox(richReplaced, run.text);
    // A name with line breaks in it takes several lines of the box, each leading to the file.
    replacedLines_.clear();
    for (const std::filesystem::path& listed : run.listed) {
        replacedLines_.insert(replacedLines_.end(), 1 + countLineEnds(listed.native()), listed);
    }
    replacedLinks_->markReportShown();
    const QString replaced = preview ? QStringLiteral("Update Files preview, nothing written: ") +
                                           counted(run.listed.size(), QStringLiteral("file would be replaced"),
                                                   QStringLiteral("files would be replaced"))
                                     : QStringLiteral("Update Files: ") +
                                           counted(run.counts.written, QStringLiteral("file replaced"),
                                                   QStringLiteral("files replaced"));
    showStatus(this, replaced + QStringLiteral(" below ") + Dir1->path() + QStringLiteral(", ") +
                         counted(run.counts.files, QStringLiteral("file looked at"), QStringLiteral("files looked at")) +
                         summaryEnd(run));
    for (const std::filesystem::path& missing : run.missingInputs)
        showMessage(pathText(missingNewFileMessage(missing)));
    showRunMessages(run);
}

}  // namespace qb
