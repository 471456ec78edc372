// The erase-and-spew window: a base folder in Dir1, the chunk in richChunk, the spew in
// richSpew; cmdBegin writes the changed copies below "copies" in the base folder.
#pragma once

#include "core/error.h"
#include "core/walk.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qb {

class BackgroundRun;
class DrivePicker;
class FolderPicker;

class frmEraseChunks : public QWidget {
    Q_OBJECT
public:
    explicit frmEraseChunks(QWidget* parent = nullptr);
    void chkEraseOnly_Click();
    void cmdBegin_Click();

private:
    void showRun(const Result<RunReport>& report);
    void setupControls(QWidget* client);
    void setupPlaces(QWidget* client);
    void Form_Load();

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3_0;
    QLabel* Label3_1;
    DrivePicker* Drive1;
    FolderPicker* Dir1;
    QPlainTextEdit* richChunk;
    QPlainTextEdit* richSpew;
    QPushButton* cmdBegin;
    QCheckBox* chkGoRecursive;
    QCheckBox* chkEraseOnly;
    QCheckBox* chkAllowWild;
    QCheckBox* chkKeepLineEnds;
    BackgroundRun* run_;
};

}  // namespace qb
