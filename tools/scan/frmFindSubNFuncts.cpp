#include "tools/scan/frmFindSubNFuncts.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/pickers.h"
#include "ui/services.h"
#include "ui/walkFilterBox.h"
#include "tools/scan/ctagsDeclarations.h"
#include "tools/scan/findSubs.h"
#include "tools/scan/languageChoice.h"
#include "tools/scan/scanWindow.h"

namespace qb {

namespace {

const QString caption = QStringLiteral("Find VB Subs and Functs in source");

}  // namespace

frmFindSubNFuncts::frmFindSubNFuncts(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(caption);
    ScanWindowParts parts =
        buildScanWindow(this, QStringLiteral("&File"), QStringLiteral("All funct or subs"), QPoint(3360, 300), 3400);
    Dir1 = parts.Dir1;
    Text1 = parts.Text1;
    results_ = new ScanResults(this, parts, {QStringLiteral("Find Subs and Functs"), QStringLiteral("declaration"),
                                             QStringLiteral("declarations"), QStringLiteral("No declarations found")});
    placeColumnLabel(parts, "Label2", QStringLiteral("Or pick selected files and then..."));
    QPushButton* cmdPickNGo = placeGoButton(parts, "cmdPickNGo", QStringLiteral("G&O!!!"));
    explain(cmdPickNGo, QStringLiteral("Pick files in a dialog and scan them"));
    const LanguageChoice language = placeLanguageChoice(parts);
    optLanguage_1 = language.byType;
    setTabChain({parts.Drive1, Dir1, parts.walkFilter->chkSkipGitIgnored, parts.walkFilter->txtFiles, parts.cmdGo, cmdPickNGo, language.classic, language.byType, Text1});

    connect(parts.cmdGo, &QPushButton::clicked, this, guarded([this] { cmdGo_Click(); }));
    connect(cmdPickNGo, &QPushButton::clicked, this, guarded([this] { cmdPickNGo_Click(); }));
    connect(parts.mnuPrint, &QAction::triggered, this, guarded([this] { mnuPrint_Click(); }));
}

void frmFindSubNFuncts::cmdGo_Click()
{
    const auto folder = folderToScan(Dir1);
    if (!folder)
        return;
    if (optLanguage_1->isChecked()) {
        results_->run(ScanResults::FallibleScan([path = folder->Path()](ProgressCallback progress, std::stop_token stop) {
            return findDeclarationsByType({path}, std::move(progress), ScanDetail::Full, std::move(stop));
        }));
        return;
    }
    results_->run(ScanResults::FallibleScan(
        [folder = *folder](ProgressCallback progress, std::stop_token stop) {
            return findSubsAndFuncts(folder, std::move(progress), std::move(stop));
        }));
}

void frmFindSubNFuncts::cmdPickNGo_Click()
{
    FileDialogRequest request;
    request.caption = QStringLiteral("Open");
    request.folder = lastPickedFolder_.isEmpty() ? Dir1->path() : lastPickedFolder_;
    // Every file, also those without a dot in their names.
    request.filter = QStringLiteral("everything (*)");
    request.existingOnly = true;
    request.multiple = true;
    const QStringList picked = askForFiles(this, request);
    if (picked.isEmpty())
        return;  // cancelled
    lastPickedFolder_ = QFileInfo(picked.front()).absolutePath();
    std::vector<std::filesystem::path> paths;
    paths.reserve(static_cast<std::size_t>(picked.size()));
    for (const QString& path : picked)
        paths.push_back(toPath(path));

    results_->run(ScanResults::FallibleScan(
        [paths = std::move(paths), byType = optLanguage_1->isChecked()](ProgressCallback progress, std::stop_token stop) {
            return byType ? findDeclarationsByType(paths, std::move(progress), ScanDetail::Full, std::move(stop))
                          : findSubsInFiles(paths, std::move(progress), std::move(stop));
    }));
}

void frmFindSubNFuncts::mnuPrint_Click()
{
    quickPrintBox(this, Text1);
}

}  // namespace qb
