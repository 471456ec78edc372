// Small behaviours that several tool windows share; a window wires each one up in one line.
#pragma once

#include <QString>

#include <initializer_list>

class QAbstractButton;
class QLineEdit;
class QListWidget;
class QWidget;

namespace qb {

class DrivePicker;
class FolderPicker;

// The folder picker follows the drive picker. A drive whose folder cannot be opened gives one
// message ("number :: description") and the folder picker keeps its folder.
void pairDrive(DrivePicker* drive, FolderPicker* folder);
// The path box echoes the folder picker, and takes a typed folder for it (acceptTypedFolder).
void echoFolderPath(FolderPicker* folder, QLineEdit* pathBox);

// Opens `path` in the folder picker. A path that is not a folder that can be opened gives one
// message ("number :: description") and the picker keeps its folder.
bool openFolderReported(FolderPicker* folder, const QString& path);
// The box takes a typed, pasted or dropped folder for the picker: Enter goes there ("~" is the
// home folder, a relative path starts at the picker's folder). A path that is not a folder gives
// one message and stays in the box to be corrected; leaving the box after editing it shows the
// picker's folder again.
void acceptTypedFolder(QLineEdit* box, FolderPicker* folder);
// A folder dropped on `target` (a folder picker, or a window that holds some) opens in the
// picker nearest to where it was dropped.
void acceptFolderDrops(QWidget* target);
// A file dropped on the box fills it with the file's path; a folder, for acceptFolderPathDrops.
void acceptFileDrops(QLineEdit* box);
void acceptFolderPathDrops(QLineEdit* box);
// The list shows the names of the files directly in the picker's folder, in walk order.
void listFolderFiles(FolderPicker* folder, QListWidget* list);
// Removes the list's selected entry; nothing is selected afterwards, so a second press does not
// remove a neighbour by surprise. False when nothing was selected.
bool removeSelectedEntry(QListWidget* list);
// A list the user edits: the Delete key and the "Remove" entry of its context menu remove the
// selected entry, as `remove` (a button beside it) does; "Clear" empties it. Each is enabled only
// when there is something to remove.
void editableList(QListWidget* list, QAbstractButton* remove);
// Result box stretch: on every resize of `window`, the box takes height (window height − top −
// 1300 twips) and width (window width − left − 300 twips), each only when it is at least 1000.
void stretchResultBox(QWidget* window, QWidget* box);
// Input box width follow: on every resize the box takes the window width − 100 twips (never
// negative, and never wider than the client area shows) and moves to the left edge.
void followInputWidth(QWidget* window, QWidget* box);

// Sets the tab order: each widget follows the one before it.
void setTabChain(std::initializer_list<QWidget*> widgets);

// Twips to pixels (15 twips a pixel).
constexpr int px(int twips) { return twips / 15; }

// The sizing rules themselves, in twips, as the windows apply them.
struct BoxSize {
    float width = 0;
    float height = 0;
};
BoxSize stretchedBoxSize(float windowWidth, float windowHeight, float left, float top, BoxSize current);
float followedInputWidth(float windowWidth);

}  // namespace qb
