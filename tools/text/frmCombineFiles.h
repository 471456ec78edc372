// The combine window: two files, each picked through a drive picker, a folder picker and the
// folder's file list or typed into its path box; GO!!!!! joins them line by line into rich1.
#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace qb {

class DrivePicker;
class FolderPicker;

class frmCombineFiles : public QWidget {
    Q_OBJECT
public:
    explicit frmCombineFiles(QWidget* parent = nullptr);

    void Command1_Click();
    void List1_Click();
    void List2_Click();

private:
    DrivePicker* Drive1;
    DrivePicker* Drive2;
    FolderPicker* Dir1;
    FolderPicker* Dir2;
    QListWidget* List1;
    QListWidget* List2;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QPlainTextEdit* rich1;
};

}  // namespace qb
