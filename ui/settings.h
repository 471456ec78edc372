// What Quillbox keeps between runs: the frame's place, the options of its "&Options" menu and,
// while "Remember folders and paths" is on, each tool window's inputs (one group per window):
// the folders its pickers showed, the paths in its path boxes and lists, the text of its
// remembered text boxes, and its check boxes and option buttons. A window restores them after loading, over its initial values; a folder or
// file that no longer exists leaves the initial value in place.
#pragma once

#include <QSettings>

class QLineEdit;
class QListWidget;
class QWidget;

namespace qb {

// The user's settings: an INI file in the user's configuration folder (~/.config/Quillbox on
// Linux). Tests point QSettings at a temporary folder.
class Settings : public QSettings {
public:
    Settings();
};

bool rememberInputs();
void setRememberInputs(bool on);

// A box that holds the path of a file (or folder), remembered with its window and filled by a
// dropped file (or folder).
void filePathBox(QLineEdit* box);
void folderPathBox(QLineEdit* box);
// A list of file paths, remembered with its window.
void filePathList(QListWidget* list);
// A box of typed text (patterns, say), remembered with its window as it was left.
void rememberedTextBox(QLineEdit* box);

void restoreInputs(QWidget* window);
void saveInputs(const QWidget* window);

}  // namespace qb
