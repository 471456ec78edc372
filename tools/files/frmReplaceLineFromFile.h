// The pair-replacement window: the folder in Dir1 (echoed in txtPath); cmdBegin runs the pairs of
// "replaceLines.txt" over every file directly in it.
#pragma once

#include "core/error.h"
#include "core/walk.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QLineEdit;

namespace qb {

class BackgroundRun;
struct CopyReview;
class DrivePicker;
class FolderPicker;
class WalkFilterBox;

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
    WalkFilterBox* walkFilter;  // which files the run walks
    QLineEdit* txtPath;
    QCheckBox* chkKeepLineEnds;
    BackgroundRun* run_;
    std::shared_ptr<const CopyReview> review_;  // what the last run changed
};

}  // namespace qb
