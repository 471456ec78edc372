// The pair-replacement window: the folder in Dir1 (echoed in txtPath); cmdBegin runs the pairs of
// "replaceLines.txt" over every file directly in it.
#pragma once

#include <QWidget>

class QLineEdit;

namespace qb {

class DrivePicker;
class FolderPicker;

class frmReplaceLineFromFile : public QWidget {
    Q_OBJECT
public:
    explicit frmReplaceLineFromFile(QWidget* parent = nullptr);
    void cmdBegin_Click();

private:
    void explainControls(QWidget* cmdBegin);

    DrivePicker* Drive1;
    FolderPicker* Dir1;
    QLineEdit* txtPath;
};

}  // namespace qb
