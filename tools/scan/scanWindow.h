// What the two scanner windows share: their frame (a "File" menu with the quick print above a
// client area laid out in twips), the controls at the top of their left column, and how a scan
// runs: under the walk progress dialog, with the caption showing the file being read, and its
// report set into the result box once, at the end.
#pragma once

#include "shell/error.h"
#include "shell/fs.h"
#include "shell/walk.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

class QAction;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace qb {

class DrivePicker;
class FolderPicker;
class WalkProgressDialog;
struct ScanReport;

struct ScanWindowParts {
    QWidget* client = nullptr;  // the area below the menu; controls are placed on it in twips
    QAction* mnuPrint = nullptr;
    DrivePicker* Drive1 = nullptr;
    FolderPicker* Dir1 = nullptr;
    QPushButton* cmdGo = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    int columnWidth = 0;  // the left column, in twips
    int nextTop = 0;      // where the next control of the left column goes, in twips
};

// Builds the frame and the controls both windows have: the menu mnuFile (captioned
// `fileMenuCaption`) with mnuPrint ("&Print", Ctrl+P) above a scrolling client laid out in twips;
// Label1_0 ("Pick home dir of project:"), Drive1 (reported pairing into Dir1), Dir1 and cmdGo
// ("GO!!!") down the left; Label1_1 (`resultCaption`) above Text1, whose top left corner is at
// `resultBox` (twips) and which stretches with the window.
ScanWindowParts buildScanWindow(QWidget* window, const QString& fileMenuCaption, const QString& resultCaption,
                                QPoint resultBox);

// The next control down the left column: a "GO!!!" button with a large bold caption, or a label.
// Both keep their distance from the bottom as the folder picker above them grows.
QPushButton* placeGoButton(ScanWindowParts& parts, const char* name);
QLabel* placeColumnLabel(ScanWindowParts& parts, const char* name, const QString& caption);

// The folder Dir1 shows, ready to scan; nothing (after a message "number :: description") when it
// cannot be had.
std::optional<Folder> folderToScan(const FolderPicker* Dir1);

// The quick print of a result box of `window`: its text is printed, then "Printin', yo" (with the
// PDF file's name when it went to one); an error shows "number :: description" instead.
void quickPrintBox(const QWidget* window, const QPlainTextEdit* box);

// One scan as a window runs it.
class ScanInWindow {
public:
    explicit ScanInWindow(QWidget* window);
    ~ScanInWindow();
    // For the logic: drives the walk progress dialog, and puts the file being read in the
    // window's caption a few times a second (often enough to follow, rarely enough not to slow
    // the scan).
    ProgressCallback callback();
    // Leaves the caption on the last file read, sets the report into `box`, and shows one message
    // when the scan was cancelled or something could not be read.
    void show(const ScanReport& report, QPlainTextEdit* box);
    // The same for a scan that may fail as a whole: then only its message shows.
    void show(const Result<ScanReport>& report, QPlainTextEdit* box);

private:
    QWidget* window_;
    std::unique_ptr<WalkProgressDialog> progress_;
    QElapsedTimer sinceCaption_;
};

}  // namespace qb
