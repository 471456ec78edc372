// The window that copies listed new files over every same-named file below a folder: new files
// are typed or browsed into txtNewFilePath and added to List1 (where the Delete key, its context
// menu and cmdRemove take them out again), the tree starts at Dir1, and
// richReplaced lists the files replaced, each line leading to its file. cmdPreview lists the
// same without writing anything, and says what the run would refuse.
#pragma once

#include "core/error.h"
#include "core/walk.h"

#include <QString>

#include <filesystem>
#include <vector>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace qb {

class BackgroundRun;
class LineLinks;
class DrivePicker;
class FolderPicker;

class frmUpdateFiles : public QWidget {
    Q_OBJECT
public:
    explicit frmUpdateFiles(QWidget* parent = nullptr);

    void Form_Load();
    void cmdGetNewFile_Click();
    void cmdAddFile_Click(short Index);
    void cmdView_Click();
    void cmdGo_Click();
    // Lists what GO!!! would replace, and shows what it would refuse and why, writing nothing.
    void cmdPreview_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showRun(const RunReport& run, bool preview = false);
    std::vector<std::filesystem::path> listedNewFiles() const;
    void setupControls(QWidget* client);
    void setupLayout(QWidget* client);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* label3;
    QLabel* Label4;
    QLineEdit* txtNewFilePath;
    QPushButton* cmdGetNewFile;
    QPushButton* cmdAddFile_1;
    QPushButton* cmdView;
    QPushButton* cmdGo;
    QPushButton* cmdRemove;
    QPushButton* cmdPreview;
    QListWidget* List1;
    QPlainTextEdit* rich1;
    DrivePicker* Drive1;
    FolderPicker* Dir1;
    QPlainTextEdit* richReplaced;
    QString lastChosenFile_;  // what the file dialog gave last; kept after a cancel
    bool focusOnShow_ = false;
    BackgroundRun* run_;
    LineLinks* replacedLinks_;
    std::vector<std::filesystem::path> replacedLines_;  // the file each line of richReplaced names
};

}  // namespace qb
