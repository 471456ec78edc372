#include "tools/text/frmCarpalTunnel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/editor.h"
#include "core/error.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/services.h"
#include "ui/settings.h"
#include "ui/windows.h"
#include "tools/text/carpalTunnel.h"

namespace qb {

namespace {

std::filesystem::path chunkStorePath() { return programFolder() / templateStoreName; }
std::filesystem::path defaultInPath() { return programFolder() / defaultInName; }
std::filesystem::path defaultOutPath() { return programFolder() / defaultOutName; }

}  // namespace

frmCarpalTunnel::frmCarpalTunnel(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Insert a bit into big chunks over and over."));
    resize(px(11400), px(9600));
    QWidget* client = scrollingClient(this);
    setupChunk(client);
    setupFiles(client);
    setupOptions(client);
    setupButtons(client);
    setupLayout(client);
    setTabChain({txtChunk, txtFileName[0], cmdChangeFile[0], txtFileName[1], cmdChangeFile[1], txtCountStart,
                 chkDoubleUp, cmdGo, rich1, cmdEditIn, cmdVim});

    runGuarded([this] { Form_Load(); });
}

void frmCarpalTunnel::setupChunk(QWidget* client)
{
    Label1 = wrapped(make<QLabel>(client, "Label1", QStringLiteral("Replace any occurances of \u00A2 in this chunk...")));
    txtChunk = make<QPlainTextEdit>(client, "txtChunk");
    txtChunk->setLineWrapMode(QPlainTextEdit::NoWrap);
    setBoxBytes(txtChunk, defaultChunk());
    Label1->setBuddy(txtChunk);
}

void frmCarpalTunnel::setupFiles(QWidget* client)
{
    Label2 = wrapped(make<QLabel>(
        client, "Label2",
        QStringLiteral("... with whatever's in the below file (so whatever's in the above will be repeated as many "
                       "times as there are lines in the below file, replacing \u00A2 [Alt-155] with what's in that "
                       "line of the below text file and \u00ED [Alt-161] with the line number in the respective "
                       "repetition)")));
    Label3 = wrapped(make<QLabel>(
        client, "Label3",
        QStringLiteral("And save the results in this file (must already exist and will be erased, sorry)...")));
    const QString changeCaptions[2] = {QStringLiteral("<<< Change &in file"), QStringLiteral("<<< Change &out file")};
    for (short i = 0; i < 2; ++i) {
        txtFileName[i] = make<QLineEdit>(client, QStringLiteral("txtFileName_%1").arg(i));
        cmdChangeFile[i] = make<QPushButton>(client, QStringLiteral("cmdChangeFile_%1").arg(i), changeCaptions[i]);
        connect(cmdChangeFile[i], &QPushButton::clicked, this, guarded([this, i] { cmdChangeFile_Click(i); }));
        filePathBox(txtFileName[i]);
    }
    Label2->setBuddy(txtFileName[0]);
    Label3->setBuddy(txtFileName[1]);
}

void frmCarpalTunnel::setupOptions(QWidget* client)
{
    Label5 = wrapped(make<QLabel>(client, "Label5", QStringLiteral("\u00ED counter start (must be an int)")));
    txtCountStart = make<QLineEdit>(client, "txtCountStart", QString::fromLatin1(defaultCountStart));
    txtCountStart->setMaximumWidth(px(1500));
    Label6 = wrapped(make<QLabel>(
        client, "Label6",
        QStringLiteral("Select \"double-up\" to replace \u00A2 with the first line of a two-line couplet and then "
                       "\u00E6 [alt-145] with the next line in in.txt.")));
    chkDoubleUp = make<QCheckBox>(client, "chkDoubleUp", QStringLiteral("&Double-up"));
    Label5->setBuddy(txtCountStart);
}

void frmCarpalTunnel::setupButtons(QWidget* client)
{
    cmdGo = make<QPushButton>(client, "cmdGo", QStringLiteral("&GO!"));
    cmdEditIn = make<QPushButton>(client, "cmdEditIn", QStringLiteral("&Edit in.txt"));
    cmdVim = make<QPushButton>(client, "cmdVim", QStringLiteral("Edit in.txt in g&VIm"));
    connect(cmdGo, &QPushButton::clicked, this, guarded([this] { cmdGo_Click(); }));
    connect(cmdEditIn, &QPushButton::clicked, this, guarded([this] { cmdEditIn_Click(); }));
    connect(cmdVim, &QPushButton::clicked, this, guarded([this] { cmdVim_Click(); }));

    // A label has no access key here, so its ampersand is written once.
    Label4 = wrapped(make<QLabel>(client, "Label4",
                                  QStringLiteral("The contents of the above file will also be displayed below, just so "
                                                 "that you can cut & paste quickly")));
    rich1 = make<QPlainTextEdit>(client, "rich1");
    rich1->setLineWrapMode(QPlainTextEdit::NoWrap);
    rich1->setAccessibleName(QStringLiteral("Contents of the out file"));
}

void frmCarpalTunnel::setupLayout(QWidget* client)
{
    auto* files = new QGridLayout;
    files->addWidget(Label2, 0, 0, 1, 2);
    files->addWidget(txtFileName[0], 1, 0);
    files->addWidget(cmdChangeFile[0], 1, 1);
    files->addWidget(Label3, 2, 0, 1, 2);
    files->addWidget(txtFileName[1], 3, 0);
    files->addWidget(cmdChangeFile[1], 3, 1);
    files->setColumnStretch(0, 1);

    auto* options = new QGridLayout;
    options->addWidget(txtCountStart, 0, 0);
    options->addWidget(Label5, 0, 1);
    options->addWidget(chkDoubleUp, 1, 0);
    options->addWidget(Label6, 1, 1);
    options->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdGo);
    buttons->addStretch();
    buttons->addWidget(cmdEditIn);
    buttons->addWidget(cmdVim);

    auto* layout = new QVBoxLayout(client);
    layout->addWidget(Label1);
    layout->addWidget(txtChunk, 2);
    layout->addLayout(files);
    layout->addLayout(options);
    layout->addLayout(buttons);
    layout->addWidget(Label4);
    layout->addWidget(rich1, 3);
}

void frmCarpalTunnel::Form_Load()
{
    txtFileName[0]->setText(fromPath(defaultInPath()));
    txtFileName[1]->setText(fromPath(defaultOutPath()));
    const auto stored = loadChunk(chunkStorePath());
    if (!stored) {
        keepStoredChunk_ = true;
        showError(stored.error(), QStringLiteral("The saved chunk could not be read; the default chunk is shown.\r\n"));
        return;
    }
    if (*stored)
        setBoxBytes(txtChunk, **stored);
}

void frmCarpalTunnel::Form_Unload()
{
    const std::string chunk = boxBytes(txtChunk);
    if (keepStoredChunk_ && chunk == defaultChunk())
        return;
    if (auto saved = saveChunk(chunkStorePath(), chunk); !saved)
        showError(saved.error(), QStringLiteral("The chunk could not be saved.\r\n"));
}

void frmCarpalTunnel::closeEvent(QCloseEvent* event)
{
    // Saving never keeps the window from closing.
    runGuarded([this] { Form_Unload(); });
    event->accept();
}

void frmCarpalTunnel::cmdChangeFile_Click(short Index)
{
    FileDialogRequest request;
    request.folder = fromPath(programFolder());
    request.filter = QStringLiteral("Text Files (*.txt);;All Files (*)");
    request.existingOnly = true;
    const QStringList chosen = askForFiles(this, request);
    // Cancelling leaves the path box as it was.
    if (!chosen.isEmpty())
        txtFileName[Index]->setText(chosen.front());
}

void frmCarpalTunnel::cmdGo_Click()
{
    rich1->clear();
    RepeatRequest request;
    request.chunk = boxBytes(txtChunk);
    request.inFile = toPath(txtFileName[0]->text());
    request.outFile = toPath(txtFileName[1]->text());
    request.countStart = lineBytes(txtCountStart);
    request.doubleUp = chkDoubleUp->isChecked();
    const RepeatResult result = repeatChunk(request);
    switch (result.outcome) {
    case RepeatOutcome::MissingInput:
        showMessage(QStringLiteral("Please select a valid in file."));
        return;
    case RepeatOutcome::SameFile:
        showMessage(QStringLiteral("The in file and the out file are the same file, and writing the out file "
                                   "would erase it. Please choose another out file."));
        return;
    case RepeatOutcome::Failed:
    case RepeatOutcome::Done:
        break;
    }
    // The box shows the repetitions made, decoded as a file's text is.
    setBoxText(rich1, fileText(result.shown));
    const QString repetitions = counted(result.repetitions, QStringLiteral("repetition"), QStringLiteral("repetitions"));
    const QString outName = QFileInfo(txtFileName[1]->text()).fileName();
    if (result.error) {
        showStatus(this, result.written
                             ? QStringLiteral("Carpal Tunnel Repeats: %1 written to %2, then stopped by an error")
                                   .arg(repetitions, outName)
                             : QStringLiteral("Carpal Tunnel Repeats: stopped by an error, %1 left as it was").arg(outName));
        showMessage(pathText(repeatErrorMessage(*result.error)));
        if (!result.written)
            showMessage(pathText(outNotWrittenMessage(request.outFile)));
        return;
    }
    showStatus(this, QStringLiteral("Carpal Tunnel Repeats: %1 written to %2").arg(repetitions, outName));
    showMessage(QStringLiteral("done"));
    rich1->setFocus();
    QTextCursor cursor = rich1->textCursor();
    cursor.setPosition(0);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    rich1->setTextCursor(cursor);
}

bool frmCarpalTunnel::ensureInFile()
{
    const auto made = ensureFileExists(toPath(txtFileName[0]->text()));
    if (!made)
        showError(made.error(), QStringLiteral("The in file could not be created.\r\n"));
    return made.has_value();
}

void frmCarpalTunnel::cmdEditIn_Click()
{
    if (!ensureInFile())
        return;
    // This button always opens the default input file, whatever the path box names.
    openInEditor(defaultInPath(), 1);
}

void frmCarpalTunnel::cmdVim_Click()
{
    if (!ensureInFile())
        return;
    openInEditor(toPath(txtFileName[0]->text()), 1);
}

}  // namespace qb
