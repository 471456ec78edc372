#include "ui/frmMain.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPalette>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>

#include <algorithm>
#include <vector>

#include "ui/about.h"
#include "ui/behaviours.h"
#include "ui/editor.h"
#include "ui/frmWhichGizmet.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/services.h"
#include "ui/settings.h"
#include "ui/windows.h"

// The icon lives in this static library's resources, which the linker keeps only when something
// registers them; this file is always part of the program.
static void registerResources()
{
    Q_INIT_RESOURCE(quillbox);
}
static const bool resourcesRegistered = (registerResources(), true);

namespace qb {

namespace {

const QString geometryKey = QStringLiteral("frame/geometry");

// The frame's place on its first start: `client` (menu bar included) when it fits the available
// screen with the window manager's decoration around it, otherwise the largest size that fits;
// centred either way.
QRect firstPlace(QSize client, const QRect& available, const QMargins& decoration)
{
    const QSize room = available.size().shrunkBy(decoration);
    QRect place(QPoint(0, 0), client.boundedTo(room));
    place.moveCenter(available.marginsRemoved(decoration).center());
    return place;
}

}  // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillbox v1.0 - If you're expecting pretty, you're in the wrong place."));
    setWindowIcon(QIcon(QStringLiteral(":/quillbox.png")));
    registerChooser();
    createWorkspace();
    createFileMenu();
    createEditMenu();
    createGizmetsMenu();
    createWindowMenu();
    createOptionsMenu();
    createStatusBar();
    placeFrame();
    createHelpMenu();
    MDIForm_Load();
}

frmMain::~frmMain()
{
    // The children close while the frame's menus are already gone.
    disconnect(workspace_, nullptr, this, nullptr);
    setWorkspace(nullptr);
}

void frmMain::createWorkspace()
{
    workspace_ = new QMdiArea(this);
    workspace_->setObjectName(QStringLiteral("workspace"));
    workspace_->setBackground(palette().brush(QPalette::Dark));  // the application-workspace colour
    // A restored child that reaches past the workspace can be scrolled to.
    workspace_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    workspace_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(workspace_);
    setWorkspace(workspace_);
}

QAction* frmMain::addEntry(QMenu* menu, const char* name, const QString& caption, const QList<QKeySequence>& keys,
                           std::function<void()> handler)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::ApplicationShortcut);
    connect(action, &QAction::triggered, this, guarded(std::move(handler)));
    return action;
}

void frmMain::createFileMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFrameFile"));
    QAction* mnuExit = addEntry(file, "mnuExit", QStringLiteral("E&xit"), {QKeySequence(Qt::CTRL | Qt::Key_Q)},
                                [this] { mnuExit_Click(); });
    mnuExit->setMenuRole(QAction::QuitRole);
    mnuExit->setStatusTip(QStringLiteral("Close every tool window and end Quillbox"));
}

// Status tips take the temporary area on the left; the run summary sits in a permanent label on
// the right, where no menu's tip can wipe it. A summary too long for the bar is cut at its end and
// shown whole as the label's tooltip.
void frmMain::createStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    auto* summary = make<QLabel>(statusBar(), statusSummaryName);
    summary->setMinimumWidth(1);  // a long summary never widens the frame
    summary->setAccessibleName(QStringLiteral("Last run"));
    statusBar()->addPermanentWidget(summary);
}

// "&Edit", with the entries that tool folders registered for it.
void frmMain::createEditMenu()
{
    if (registeredEditEntries().empty())
        return;
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    for (const EditMenuEntry& entry : registeredEditEntries())
        addEntry(edit, entry.name.toLatin1().constData(), entry.caption, {}, entry.handler)->setStatusTip(entry.tip);
}

void frmMain::createGizmetsMenu()
{
    QMenu* gizmets = menuBar()->addMenu(QStringLiteral("&Gizmets"));
    gizmets->setObjectName(QStringLiteral("mnuGizmets"));
    // An entry that opens a window names it in the Window menu when the chooser does not.
    addEntry(gizmets, "mnuWhichGizmet", QStringLiteral("&Complete List"), {QKeySequence(Qt::CTRL | Qt::Key_F1)},
             [this] { mnuWhichGizmet_Click(); })
        ->setData(QStringLiteral("frmWhichGizmet"));
    addEntry(gizmets, "mnuTags", QStringLiteral("&Tag Insert"), {QKeySequence(Qt::Key_F1)}, [this] { mnuTags_Click(); });
    addEntry(gizmets, "mnuInsert", QStringLiteral("Property Insert (into tag)"), {QKeySequence(Qt::Key_F2)},
             [this] { mnuInsert_Click(); });
    // Then the tools that asked for an entry, in their order.
    std::vector<const ToolRegistration*> entries;
    for (const ToolRegistration& tool : registeredTools())
        if (tool.menu)
            entries.push_back(&tool);
    std::ranges::stable_sort(entries, {}, [](const ToolRegistration* tool) { return tool->menu->place; });
    for (const ToolRegistration* tool : entries)
        addEntry(gizmets, tool->menu->name.toLatin1().constData(), tool->menu->caption, {tool->menu->key},
                 [window = tool->windowClass] { openWindow(window); })
            ->setData(tool->windowClass);
    gizmets_ = gizmets;
}

void frmMain::createWindowMenu()
{
    windowMenu_ = menuBar()->addMenu(QStringLiteral("&Window"));
    windowMenu_->setObjectName(QStringLiteral("mnuWindow"));
    QMdiArea* area = workspace_;
    windowActions_ = {
        addEntry(windowMenu_, "mnuCascade", QStringLiteral("&Cascade"), {}, [area] { area->cascadeSubWindows(); }),
        addEntry(windowMenu_, "mnuTile", QStringLiteral("&Tile"), {}, [area] { area->tileSubWindows(); }),
        addEntry(windowMenu_, "mnuNext", QStringLiteral("Ne&xt"), {QKeySequence(Qt::CTRL | Qt::Key_Tab)},
                 [area] { area->activateNextSubWindow(); }),
        addEntry(windowMenu_, "mnuPrevious", QStringLiteral("Pre&vious"),
                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)},
                 [area] { area->activatePreviousSubWindow(); }),
        addEntry(windowMenu_, "mnuClose", QStringLiteral("Cl&ose"),
                 {QKeySequence(Qt::CTRL | Qt::Key_F4), QKeySequence(Qt::CTRL | Qt::Key_W)},
                 [area] { area->closeActiveSubWindow(); }),
        addEntry(windowMenu_, "mnuCloseAll", QStringLiteral("Close &All"), {}, [area] { area->closeAllSubWindows(); }),
    };
    windowMenu_->addSeparator();
    windowGroup_ = new QActionGroup(windowMenu_);
    connect(windowMenu_, &QMenu::aboutToShow, this, &frmMain::updateWindowMenu);
    connect(workspace_, &QMdiArea::subWindowActivated, this, &frmMain::updateWindowActions);
    updateWindowActions();
}

void frmMain::createOptionsMenu()
{
    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnuOptions"));
    QAction* remember = options->addAction(QStringLiteral("&Remember folders and paths"));
    remember->setObjectName(QStringLiteral("mnuRememberInputs"));
    remember->setCheckable(true);
    remember->setChecked(rememberInputs());
    remember->setToolTip(QStringLiteral("Each tool window starts with the folders, paths and options it had when it "
                                        "was last closed"));
    connect(remember, &QAction::toggled, this, [](bool on) { setRememberInputs(on); });
    QAction* editor = options->addAction(QStringLiteral("&Editor\u2026"));
    editor->setObjectName(QStringLiteral("mnuEditor"));
    editor->setToolTip(QStringLiteral("The editor that opens a result's file at its line"));
    connect(editor, &QAction::triggered, this, guarded([this] { mnuEditor_Click(); }));
}

void frmMain::mnuEditor_Click()
{
    auto* dialog = new EditorDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void frmMain::updateWindowActions()
{
    const bool any = !workspace_->subWindowList().isEmpty();
    for (QAction* action : windowActions_)
        action->setEnabled(any);
}

// A child as the Window menu lists it: its tool's name, then its caption after a dash when the
// caption says something else ("Update a file over multiple directories - Form1").
QString frmMain::windowListName(const QMdiSubWindow* child) const
{
    const QString caption = child->windowTitle();
    const QString className = child->widget() ? child->widget()->objectName() : QString();
    QString name = chooserName(className);
    for (const QAction* entry : gizmets_->actions())
        if (name.isEmpty() && entry->data().toString() == className)
            name = withoutAccessKey(entry->text());
    if (name.isEmpty() || name == caption)
        return caption.isEmpty() ? name : caption;
    return caption.isEmpty() ? name : name + QStringLiteral(" - ") + caption;
}

void frmMain::updateWindowMenu()
{
    qDeleteAll(windowList_);
    windowList_.clear();
    const QList<QMdiSubWindow*> children = workspace_->subWindowList();
    for (qsizetype i = 0; i < children.size(); ++i) {
        QMdiSubWindow* child = children[i];
        QString title = windowListName(child);
        title.replace(QLatin1Char('&'), QLatin1String("&&"));
        const QString caption = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title)
                                      : QStringLiteral("%1 %2").arg(i + 1).arg(title);
        QAction* entry = windowMenu_->addAction(caption);
        entry->setObjectName(QStringLiteral("mnuWindowList_%1").arg(i));
        entry->setCheckable(true);
        entry->setChecked(child == workspace_->activeSubWindow());
        entry->setActionGroup(windowGroup_);
        connect(entry, &QAction::triggered, workspace_, [this, child] { workspace_->setActiveSubWindow(child); });
        windowList_.push_back(entry);
    }
}

void frmMain::placeFrame()
{
    if (restoreGeometry(Settings().value(geometryKey).toByteArray()))
        return;
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QMargins decoration(border, titleBar + border, border, border);
    const QSize client(px(16755), px(12615) + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    setGeometry(firstPlace(client, screen()->availableGeometry(), decoration));
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

void frmMain::mnuExit_Click()
{
    // Each child closes as if the user closed it, so it keeps what it keeps; the program ends
    // once the frame has closed.
    if (close())
        QCoreApplication::quit();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Settings().setValue(geometryKey, saveGeometry());
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
