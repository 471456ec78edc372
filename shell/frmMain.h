// The frame window: a workspace that holds every tool as a child window, the "&Gizmets" menu and
// the "&Help" menu.
#pragma once

#include <QMainWindow>

class QMdiArea;

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
    void mnuEraseChunks_Click();
    void mnuSNP_Click();
    void mnuAbout_Click();

    QMdiArea* workspace() const { return workspace_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createWorkspace();
    void createMenus();
    void createHelpMenu();

    QMdiArea* workspace_ = nullptr;
};

}  // namespace qb
