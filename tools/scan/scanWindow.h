// What the two scanner windows share: their frame (a "File" menu with "Save Report As" and the
// quick print above a client area laid out in twips), the controls at the top of their left
// column, and what becomes of a scan (ScanResults).
#pragma once

#include "ui/editor.h"
#include "core/error.h"
#include "core/fs.h"
#include "core/walk.h"
#include "tools/scan/scanRun.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace qb {

class BackgroundRun;
class DrivePicker;
class FolderPicker;
class WalkFilterBox;

struct ScanWindowParts {
    QWidget* client = nullptr;  // the area below the menu; controls are placed on it in twips
    QAction* mnuSaveReport = nullptr;
    QAction* mnuPrint = nullptr;
    DrivePicker* Drive1 = nullptr;
    FolderPicker* Dir1 = nullptr;
    QPushButton* cmdGo = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    WalkFilterBox* walkFilter = nullptr;  // below Dir1: which files a scan of the folder reads
    int columnWidth = 0;  // the left column, in twips
    int nextTop = 0;      // where the next control of the left column goes, in twips
};

// Builds the frame and the controls both windows have: the menu mnuFile (captioned
// `fileMenuCaption`) with mnuSaveReport ("Save Report &As...", Ctrl+S) and mnuPrint ("&Print",
// Ctrl+P) above a scrolling client laid out in twips;
// Label1_0 ("Pick home dir of project:"), Drive1 (reported pairing into Dir1), Dir1, the walk's
// filter (ui/walkFilterBox.h) and cmdGo ("&GO!!!") down the left; Label1_1 (`resultCaption`) above Text1, whose top left corner is at
// `resultBox` (twips) and which stretches with the window.
// `folderHeight` is Dir1's height (twips) at the design size, less where the column holds more.
ScanWindowParts buildScanWindow(QWidget* window, const QString& fileMenuCaption, const QString& resultCaption,
                                QPoint resultBox, int folderHeight = 3900);

// The next control down the left column: a "GO!!!" button with a large bold caption (`caption`
// marks its access key), or a label. Both keep their distance from the bottom as the folder
// picker above them grows.
QPushButton* placeGoButton(ScanWindowParts& parts, const char* name, const QString& caption);
QLabel* placeColumnLabel(ScanWindowParts& parts, const char* name, const QString& caption);

// The folder Dir1 shows, ready to scan; nothing (after a message "number :: description") when it
// cannot be had.
std::optional<Folder> folderToScan(const FolderPicker* Dir1);

// The quick print of a result box of `window`: its text is printed, then "Printin', yo" (with the
// PDF file's name when it went to one); an error shows "number :: description" instead.
void quickPrintBox(const QWidget* window, const QPlainTextEdit* box);

// The report as the result box shows it: each line decoded the way its file's text is (once per
// file: UTF-8 when the file is valid UTF-8, otherwise Windows-1252), the names of files the way
// names are. Its lines are the report's lines.
QString reportText(const ScanReport& report);

// How a scanner's summary in the status bar speaks of what it found.
struct ScanWording {
    QString tool;     // "Find TODOs"
    QString one;      // "block"
    QString many;     // "blocks"
    QString nothing;  // "No TODOs found"
};
// The summary of a run that handled `files` files in `seconds`: "Find TODOs: 812 blocks in 240
// files, 3 binary files skipped, 0.4 s", or "No TODOs found in 1,932 files".
QString scanSummary(const ScanReport& report, const ScanWording& wording, std::uint64_t files, double seconds);

// What a scanner window does with its scans: runs each off the window thread, sets its report
// into the result box once at the end (the caption following the file being read meanwhile and
// ending on the last one), shows one message when something could not be read or the scan was
// cancelled, and leaves a summary in the status bar. Each scan's walks take the filter that the
// window's filter controls choose (a pattern that does not close gets a message instead of a
// run). It keeps the report, so that each line of the box leads to its file and "Save Report As"
// saves the report as the scan made it.
class ScanResults : public QObject {
public:
    ScanResults(QWidget* window, const ScanWindowParts& parts, ScanWording wording);

    // Each scan gets the run's progress callback and the stop request of its Cancel button.
    using Scan = std::function<ScanReport(ProgressCallback, std::stop_token)>;
    using FallibleScan = std::function<Result<ScanReport>(ProgressCallback, std::stop_token)>;
    void run(Scan scan);
    // A scan that may fail as a whole: then only its message shows.
    void run(FallibleScan scan);
    // Saves the last report in the format of the file type chosen in the save dialog.
    void saveReport();
    const ScanReport& report() const { return report_; }

private:
    void show(ScanReport report);
    std::optional<FilePlace> placeOf(int line) const;

    QWidget* window_;
    QPlainTextEdit* box_;
    const FolderPicker* folder_;
    const WalkFilterBox* walkFilter_;
    QAction* save_;
    ScanWording wording_;
    BackgroundRun* run_;
    LineLinks* links_;
    ScanReport report_;
    QString saveFolder_;  // where the last report was saved
};

}  // namespace qb
