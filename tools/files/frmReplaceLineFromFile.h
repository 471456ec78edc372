// The pair-replacement window: the folder in Dir1 (echoed in txtPath); cmdBegin runs the pairs of
// "replaceLines.txt" over every file directly in it.
#pragma once

#include "core/error.h"
#include "core/walk.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;

namespace qb {

class BackgroundRun;
class DrivePicker;
class FolderPicker;

class frmReplaceLineFromFile : public QWidget {
    Q_OBJECT
public:
    explicit frmReplaceLineFromFile(QWidget* parent = nullptr);
    void cmdBegin_Click();

private:
    void showRun(const Result<RunReport>& report);
    void explainControls(QWidget* cmdBegin);

    DrivePicker* Drive1;
    FolderPicker* Dir1;
    QLineEdit* txtPath;
    QCheckBox* chkKeepLineEnds;
    BackgroundRun* run_;
};

}  // namespace qb
