// The opening rule: one instance per window class, built when it is not loaded (its constructor
// is its load handler), shown as a child of the frame, brought to the front and maximised.
// Tool folders register their window classes; a name without a window answers "not found".
#pragma once

#include <QKeySequence>
#include <QMetaObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QMdiArea;
class QWidget;

namespace qb {

using WindowFactory = std::function<QWidget*()>;

void registerWindow(const QString& className, WindowFactory factory);
// The window class's name without its namespace: "frmHex2Dec" for qb::frmHex2Dec.
QString windowClassName(const QMetaObject& meta);
// Registers window class T under its own class name.
template <class T>
void registerWindow()
{
    registerWindow(windowClassName(T::staticMetaObject), [] { return new T; });
}
bool isWindowRegistered(const QString& className);

// A tool as the frame shows it. Each tool folder registers its own; the chooser's buttons and the
// Gizmets menu's tool entries are built from these, so adding a tool touches only its folder.
struct ToolMenuEntry {
    QString name;     // the action's objectName: "mnuEraseChunks"
    QString caption;  // with its access key: "&Erase Chunks"
    QKeySequence key;
    int place = 0;  // its order among the tools' entries
};
struct ToolRegistration {
    QString windowClass;     // empty: a button whose tool is not in the program ("not found")
    QString chooserCaption;  // with its access key
    int chooserPlace = -1;   // the button's index in the chooser (cmdOpenForm_N); -1: no button
    std::optional<ToolMenuEntry> menu;  // an entry in the Gizmets menu, after the frame's own
    WindowFactory factory;
};
void registerTool(ToolRegistration tool);
// Registers window class T with its place in the frame.
template <class T>
void registerTool(QString chooserCaption, int chooserPlace, std::optional<ToolMenuEntry> menu = std::nullopt)
{
    registerTool({windowClassName(T::staticMetaObject), std::move(chooserCaption), chooserPlace, std::move(menu),
                  [] { return new T; }});
}
// Every registered tool, in the chooser's order (those without a button first).
const std::vector<ToolRegistration>& registeredTools();
// An entry of the frame's "&Edit" menu, registered by the tool folder that does the work (the
// frame knows no tool). The menu lists them in the order registered, and is there only when some are.
struct EditMenuEntry {
    QString name;     // the action's objectName: "mnuUndoLastApply"
    QString caption;  // with its access key
    QString tip;      // its status tip
    std::function<void()> handler;
};
// Registering a name again replaces its entry.
void registerEditEntry(EditMenuEntry entry);
const std::vector<EditMenuEntry>& registeredEditEntries();
// The chooser's caption of a window class, without its access key; empty when it has none.
QString chooserName(const QString& className);
// The frame's workspace that child windows open in. While one is set, Alt and a letter goes to
// the active child's own button, check box or menu with that access key before the frame's menu
// bar: a tool's "&Go" runs even though the frame has "&Gizmets".
void setWorkspace(QMdiArea* workspace);
// Opens `className` by the opening rule; shows "not found" when no such window is in the program.
// Returns the window's widget (nullptr when none was opened).
QWidget* openWindow(const QString& className);
// The open window of that class, or nullptr.
QWidget* findOpenWindow(const QString& className);

// Leaves `text`, a one-line summary of what a run did, in the status bar of the frame that holds
// `window` (nowhere when the window stands alone): in the bar's permanent label of this name,
// which the menus' status tips leave alone.
inline constexpr char statusSummaryName[] = "lblStatusSummary";
void showStatus(const QWidget* window, const QString& text);
// A count as the user's locale writes numbers ("1,204"), then `one` or `many` after it.
QString counted(std::uint64_t count, const QString& one, const QString& many);
// Seconds with one decimal: "0.4 s".
QString secondsText(double seconds);

}  // namespace qb
