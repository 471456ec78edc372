// The TODO scanner's window: the tree below Dir1 is scanned by findTodos and the report goes to
// Text1.
#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace qb {

class FolderPicker;
class ScanResults;

class frmFindTodos : public QWidget {
    Q_OBJECT
public:
    explicit frmFindTodos(QWidget* parent = nullptr);
    void cmdGo_Click();
    void mnuPrint_Click();

private:
    FolderPicker* Dir1;
    QPlainTextEdit* Text1;
    QRadioButton* optLanguage_1;  // "By file type"
    QLineEdit* txtMarkers;
    ScanResults* results_;
};

}  // namespace qb
