#include "shell/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPalette>

#include "shell/about.h"
#include "shell/behaviours.h"
#include "shell/frmWhichGizmet.h"
#include "shell/guard.h"
#include "shell/services.h"
#include "shell/windows.h"

// The icon lives in this static library's resources, which the linker keeps only when something
// registers them; this file is always part of the program.
static void registerResources()
{
    Q_INIT_RESOURCE(quillbox);
}
static const bool resourcesRegistered = (registerResources(), true);

namespace qb {

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillbox v1.0 - If you're expecting pretty, you're in the wrong place."));
    setWindowIcon(QIcon(QStringLiteral(":/quillbox.png")));
    registerWindow<frmWhichGizmet>();
    createWorkspace();
    createMenus();
    createHelpMenu();
    resize(px(16755), px(12615) + menuBar()->sizeHint().height());
    MDIForm_Load();
}

frmMain::~frmMain()
{
    setWorkspace(nullptr);
}

void frmMain::createWorkspace()
{
    workspace_ = new QMdiArea(this);
    workspace_->setObjectName(QStringLiteral("workspace"));
    workspace_->setBackground(palette().brush(QPalette::Dark));  // the application-workspace colour
    setCentralWidget(workspace_);
    setWorkspace(workspace_);
}

void frmMain::createMenus()
{
    QMenu* gizmets = menuBar()->addMenu(QStringLiteral("&Gizmets"));
    gizmets->setObjectName(QStringLiteral("mnuGizmets"));
    const auto add = [&](const char* name, const QString& caption, const QKeySequence& key,
                         void (frmMain::*handler)()) {
        QAction* action = gizmets->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::ApplicationShortcut);
        connect(action, &QAction::triggered, this, guarded([this, handler] { (this->*handler)(); }));
    };
    add("mnuWhichGizmet", QStringLiteral("&Complete List"), QKeySequence(Qt::CTRL | Qt::Key_F1),
        &frmMain::mnuWhichGizmet_Click);
    add("mnuTags", QStringLiteral("&Tag Insert"), QKeySequence(Qt::Key_F1), &frmMain::mnuTags_Click);
    add("mnuInsert", QStringLiteral("Property Insert (into tag)"), QKeySequence(Qt::Key_F2),
        &frmMain::mnuInsert_Click);
    add("mnuEraseChunks", QStringLiteral("&Erase Chunks"), QKeySequence(Qt::Key_F3),
        &frmMain::mnuEraseChunks_Click);
    add("mnuSNP", QStringLiteral("Search and Replace from file"), QKeySequence(Qt::Key_F4),
        &frmMain::mnuSNP_Click);
}

// "&Help", the last menu of the bar.
void frmMain::createHelpMenu()
{
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    QAction* about = help->addAction(QStringLiteral("&About Quillbox"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    connect(about, &QAction::triggered, this, guarded([this] { mnuAbout_Click(); }));
}

void frmMain::mnuAbout_Click()
{
    auto* about = new AboutDialog(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void frmMain::MDIForm_Load()
{
    mnuWhichGizmet_Click();
}

void frmMain::mnuWhichGizmet_Click()
{
    openWindow(QStringLiteral("frmWhichGizmet"));
}

void frmMain::mnuTags_Click()
{
    showMessage(QStringLiteral("not found"));
}

void frmMain::mnuInsert_Click()
{
    showMessage(QStringLiteral("not found"));
}

void frmMain::mnuEraseChunks_Click()
{
    openWindow(QStringLiteral("frmEraseChunks"));
}

void frmMain::mnuSNP_Click()
{
    openWindow(QStringLiteral("frmReplaceLineFromFile"));
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Every child closes first, so each one's unload handler runs; a child that refuses keeps
    // the frame open.
    workspace_->closeAllSubWindows();
    if (!workspace_->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace qb
