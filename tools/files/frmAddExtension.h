// The window that gives every file without a dot below Dir1 a copy named with "_COPY" and the
// extension in Text1, and adds the walk's listing to rich1, which keeps every run's listing until the window closes.
#pragma once

#include "core/error.h"
#include "core/walk.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qb {

class BackgroundRun;
class DrivePicker;
class FolderPicker;
class WalkFilterBox;

class frmAddExtension : public QWidget {
    Q_OBJECT
public:
    explicit frmAddExtension(QWidget* parent = nullptr);

    void cmdGo_Click();

private:
    void showRun(const Result<RunReport>& report);
    void setupControls(QWidget* client);
    void setupLayout(QWidget* client);

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* cmdGo;
    DrivePicker* Drive1;
    FolderPicker* Dir1;
    WalkFilterBox* walkFilter;  // which files the run walks
    QPlainTextEdit* rich1;
    QLineEdit* Text1;  // the extension to add after "_COPY"
    BackgroundRun* run_;
};

}  // namespace qb
