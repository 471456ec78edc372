#include "tools/files/frmAddExtension.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/backgroundRun.h"
#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/pickers.h"
#include "ui/services.h"
#include "ui/walkFilterBox.h"
#include "ui/windows.h"
#include "tools/files/addExtension.h"
#include "tools/files/bulkRunView.h"

namespace qb {

frmAddExtension::frmAddExtension(QWidget* parent) : QWidget(parent), run_(new BackgroundRun(this))
{
    setWindowTitle(QStringLiteral("Form1"));
    explainWindow(this, QStringLiteral("Add Extension to extensionless files: every file without a dot in its name, "
                                       "in the folder and its subfolders, gets a copy named with \"_COPY\" and the "
                                       "extension to add (\".doc\" at first)."));
    resize(px(10800), px(7800));
    QWidget* client = scrollingClient(this);
    setupControls(client);
    setupLayout(client);
    setTabChain({Drive1, Dir1, walkFilter->chkSkipGitIgnored, walkFilter->txtFiles, cmdGo, Text1, rich1});

    pairDrive(Drive1, Dir1);
    connect(cmdGo, &QPushButton::clicked, this, guarded([this] { cmdGo_Click(); }));
}

void frmAddExtension::setupControls(QWidget* client)
{
    Drive1 = make<DrivePicker>(client, "Drive1");
    Dir1 = make<FolderPicker>(client, "Dir1");
    walkFilter = new WalkFilterBox(client);
    cmdGo = make<QPushButton>(client, "cmdGo", QStringLiteral("&begin"));
    rich1 = make<QPlainTextEdit>(client, "rich1");
    rich1->setLineWrapMode(QPlainTextEdit::NoWrap);
    rich1->setAccessibleName(QStringLiteral("Files copied"));
    Text1 = make<QLineEdit>(client, "Text1", QStringLiteral(".doc"));
    Label2 = wrapped(make<QLabel>(client, "Label2", QStringLiteral("extension to add:")));
    Label2->setBuddy(Text1);
    Label1 = wrapped(make<QLabel>(
        client, "Label1",
        QStringLiteral("Starts in selected directory.  Any file w/out an extension (actually any without a \".\" "
                       "in the name) will be copied into \"filename_COPY\" plus the extension in the \"extension "
                       "to add\" text box.")));
}

// Left: the pickers and the button; right: the explanation, the extension and the listing.
void frmAddExtension::setupLayout(QWidget* client)
{
    auto* layout = new QGridLayout(client);
    layout->addWidget(Drive1, 0, 0);
    layout->addWidget(Dir1, 1, 0, 2, 1);
    layout->addWidget(walkFilter, 3, 0);
    layout->addWidget(cmdGo, 4, 0);
    layout->addWidget(Label1, 0, 1, 1, 2);
    layout->addWidget(Label2, 1, 1);
    layout->addWidget(Text1, 1, 2);
    layout->addWidget(rich1, 2, 1, 3, 2);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(2, 3);
    layout->setRowStretch(2, 1);
}

void frmAddExtension::cmdGo_Click()
{
    // The extension goes into file names, which keep their bytes as paths do.
    const std::string extension = toPath(Text1->text()).native();
    if (auto usable = checkExtension(extension); !usable) {
        showError(usable.error());
        return;
    }
    const auto filter = walkFilterToRun(walkFilter);
    if (!filter)
        return;
    run_->start(withWalkFilter(*filter, [folder = toPath(Dir1->path()), extension](ProgressCallback progress) {
        return addExtensionCopies(folder, extension, std::move(progress));
    }), [this](const Result<RunReport>& run) { showRun(run); });
}

void frmAddExtension::showRun(const Result<RunReport>& report)
{
    if (!report) {
        showError(report.error());
        return;
    }
    const RunReport& run = *report;
    appendPathBox(rich1, run.text);
    showStatus(this, QStringLiteral("Add Extension: ") +
                         counted(run.counts.files, QStringLiteral("file looked at"), QStringLiteral("files looked at")) +
                         QStringLiteral(", ") + counted(run.counts.written, QStringLiteral("copy"), QStringLiteral("copies")) +
                         QStringLiteral(" written") + summaryEnd(run));
    showRunMessages(run);
}

}  // namespace qb
