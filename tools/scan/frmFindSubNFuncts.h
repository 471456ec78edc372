// The declaration scanner's window: the tree below Dir1 (cmdGo) or files picked in a dialog
// (cmdPickNGo) are scanned by findSubsAndFuncts / findSubsInFiles, and the report goes to Text1.
#pragma once

#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QRadioButton;

namespace qb {

class FolderPicker;
class ScanResults;

class frmFindSubNFuncts : public QWidget {
    Q_OBJECT
public:
    explicit frmFindSubNFuncts(QWidget* parent = nullptr);
    void cmdGo_Click();
    void cmdPickNGo_Click();
    void mnuPrint_Click();

private:
    FolderPicker* Dir1;
    QPlainTextEdit* Text1;
    QRadioButton* optLanguage_1;  // "By file type": declarations through universal-ctags
    ScanResults* results_;
    QString lastPickedFolder_;  // the file dialog opens where the last picked files were
};

}  // namespace qb
