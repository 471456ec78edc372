// The combine window: two files, each picked through a drive picker, a folder picker and the
// folder's file list or typed into its path box; GO!!!!! joins them line by line into rich1, and
// the status bar says how many lines were joined and how many of the longer file were left out.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace qb {

class DrivePicker;
class FolderPicker;
struct CombinedLines;

class frmCombineFiles : public QWidget {
    Q_OBJECT
public:
    explicit frmCombineFiles(QWidget* parent = nullptr);

    void Command1_Click();
    void List1_Click();
    void List2_Click();

private:
    void setupControls(QWidget* client);
    void setupLayout(QWidget* client);
    QString combineSummary(const CombinedLines& combined) const;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* Command1;
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
