// The frame window: a workspace that holds every tool as a child window, the "&File" menu that
// ends the program, the "&Edit" menu of the entries tools register for it (undoing an apply), the
// "&Gizmets" menu, the "&Window" menu that arranges and lists the children
// by their tools' names, the "&Options" menu and the "&Help" menu, and a status bar whose
// permanent label keeps the summary of the last run while menus show their tips beside it. The
// frame fits the screen on its first start and comes back where the user left it.
#pragma once

#include <QList>
#include <QMainWindow>

#include <functional>

class QAction;
class QActionGroup;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace qb {

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    void MDIForm_Load();
    void mnuWhichGizmet_Click();
    void mnuTags_Click();
    void mnuInsert_Click();
    void mnuAbout_Click();
    void mnuEditor_Click();
    void mnuExit_Click();

    QMdiArea* workspace() const { return workspace_; }
    // Lists the open windows at the end of the "&Window" menu, the active one checked. The menu
    // does this each time it opens.
    void updateWindowMenu();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createWorkspace();
    void createFileMenu();
    void createStatusBar();
    void createEditMenu();
    void createGizmetsMenu();
    void createWindowMenu();
    void createOptionsMenu();
    void placeFrame();
    void updateWindowActions();
    QString windowListName(const QMdiSubWindow* child) const;
    QAction* addEntry(QMenu* menu, const char* name, const QString& caption, const QList<QKeySequence>& keys,
                      std::function<void()> handler);
    void createHelpMenu();

    QMdiArea* workspace_ = nullptr;
    QMenu* gizmets_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QList<QAction*> windowActions_;  // Cascade to Close All: there is nothing for them without a child
    QList<QAction*> windowList_;
    QActionGroup* windowGroup_ = nullptr;
};

}  // namespace qb
