// The TODO scanner's window: the tree below Dir1 is scanned by findTodos and the report goes to
// Text1.
#pragma once

#include <QWidget>

class QPlainTextEdit;

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
    ScanResults* results_;
};

}  // namespace qb
