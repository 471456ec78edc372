#include "tools/scan/frmFindTodos.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/pickers.h"
#include "ui/services.h"
#include "tools/scan/commentTodos.h"
#include "tools/scan/findTodos.h"
#include "tools/scan/languageChoice.h"
#include "tools/scan/scanWindow.h"

namespace qb {

namespace {

const QString caption = QStringLiteral("Find lines in code with \"TODO\" in 'em");

}  // namespace

frmFindTodos::frmFindTodos(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(caption);
    ScanWindowParts parts = buildScanWindow(
        this, QStringLiteral("File"), QStringLiteral("All lines with TODO: at the start (TODO in caps)"), QPoint(3480, 420));
    Dir1 = parts.Dir1;
    Text1 = parts.Text1;
    optLanguage_1 = placeLanguageChoice(parts).byType;
    txtMarkers = placeMarkersBox(parts, QStringLiteral("frmFindTodos"));
    results_ = new ScanResults(this, parts, {QStringLiteral("Find TODOs"), QStringLiteral("block"), QStringLiteral("blocks"),
                                             QStringLiteral("No TODOs found")});

    connect(parts.cmdGo, &QPushButton::clicked, this, guarded([this] { cmdGo_Click(); }));
    connect(parts.mnuPrint, &QAction::triggered, this, guarded([this] { mnuPrint_Click(); }));
}

void frmFindTodos::cmdGo_Click()
{
    const auto folder = folderToScan(Dir1);
    if (!folder)
        return;
    if (!optLanguage_1->isChecked()) {
        results_->run(ScanResults::Scan([folder = *folder](ProgressCallback progress, std::stop_token stop) {
            return findTodos(folder, std::move(progress), std::move(stop));
        }));
        return;
    }
    // By file type: languages.txt in the data folder is read afresh for each run.
    const std::filesystem::path languages = programFolder() / languagesFileName;
    auto table = SyntaxTable::load(languages);
    if (!table) {
        showError(table.error());
        return;
    }
    TodoTypeOptions options{.table = std::move(*table), .markers = todoMarkersFrom(lineBytes(txtMarkers))};
    results_->run(ScanResults::Scan(
        [folder = *folder, options = std::move(options)](ProgressCallback progress, std::stop_token stop) {
            return findTodosByType(folder, options, std::move(progress), std::move(stop));
        }));
}

void frmFindTodos::mnuPrint_Click()
{
    quickPrintBox(this, Text1);
}

}  // namespace qb
