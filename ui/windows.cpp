#include "ui/windows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QMenuBar>
#include <QMenu>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QToolTip>
#include <QWidget>

#include <algorithm>

#include "ui/behaviours.h"
#include "ui/kit.h"
#include "ui/pickers.h"
#include "ui/services.h"
#include "ui/settings.h"

namespace qb {

namespace {

QHash<QString, WindowFactory>& factories()
{
    static QHash<QString, WindowFactory> map;
    return map;
}

QPointer<QMdiArea>& workspace()
{
    static QPointer<QMdiArea> area;
    return area;
}

QMdiSubWindow* findSubWindow(const QString& className)
{
    if (!workspace())
        return nullptr;
    for (QMdiSubWindow* sub : workspace()->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == className)
            return sub;
    return nullptr;
}

// Keeps a tool window's inputs when it closes, and shows what a window with a placeholder caption
// does when the pointer rests on its title bar.
class WindowWatcher : public QObject {
public:
    WindowWatcher(QMdiSubWindow* sub, QWidget* window) : QObject(sub), sub_(sub), window_(window)
    {
        window->installEventFilter(this);
        sub->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Close)
            saveInputs(window_);
        if (watched == sub_ && event->type() == QEvent::ToolTip) {
            const auto* help = static_cast<QHelpEvent*>(event);
            const QString explanation = windowExplanation(window_);
            if (!explanation.isEmpty() && help->pos().y() < window_->y()) {
                QToolTip::showText(help->globalPos(), explanation, sub_);
                return true;
            }
        }
        return false;
    }

private:
    QMdiSubWindow* sub_;
    QWidget* window_;
};

// A newly loaded window: its controls named for assistive technology, folders dropped on it
// opened in its pickers, and its remembered inputs back in place.
void prepare(QWidget* window)
{
    nameControls(window);
    if (window->findChild<FolderPicker*>())
        acceptFolderDrops(window);
    restoreInputs(window);
}

// Alt and a letter, pressed anywhere in a tool window, reaches that window's own control with
// the letter as its access key before any shortcut of the frame. Qt would find the frame's menu
// and the control both holding the key and run neither. It looks at each key before the focused
// control does, so a text box never takes the letter as typing.
class OwnAccessKeys : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::AltModifier || !receiver->isWidgetType())
            return false;
        QObject* owner = ownerOf(static_cast<QWidget*>(receiver), key->key());
        if (!owner)
            return false;
        if (type == QEvent::ShortcutOverride) {
            event->accept();  // the key comes to the focused control as a key press, caught below
            return true;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(owner)) {
            if (button->focusPolicy() & Qt::TabFocus)
                button->setFocus(Qt::ShortcutFocusReason);
            button->animateClick();
        } else if (auto* menuBar = qobject_cast<QMenuBar*>(owner)) {
            menuBar->setActiveAction(ownMenu(menuBar, key->key()));
        }
        return true;
    }

private:
    static bool holdsKey(const QString& caption, int key)
    {
        const QKeySequence mnemonic = QKeySequence::mnemonic(caption);
        return !mnemonic.isEmpty() && mnemonic[0].key() == key;
    }
    static QAction* ownMenu(const QMenuBar* menuBar, int key)
    {
        for (QAction* menu : menuBar->actions())
            if (menu->isEnabled() && menu->isVisible() && holdsKey(menu->text(), key))
                return menu;
        return nullptr;
    }
    // The control or menu bar of the tool window around `focus` that `key` belongs to.
    static QObject* ownerOf(QWidget* focus, int key)
    {
        QWidget* window = nullptr;
        for (QWidget* above = focus; above && !window; above = above->parentWidget())
            if (auto* sub = qobject_cast<QMdiSubWindow*>(above); sub && sub->mdiArea() == workspace())
                window = sub->widget();
        if (!window)
            return nullptr;
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
            if (button->isEnabled() && button->isVisibleTo(window) && holdsKey(button->text(), key))
                return button;
        for (QMenuBar* menuBar : window->findChildren<QMenuBar*>())
            if (menuBar->isEnabled() && ownMenu(menuBar, key))
                return menuBar;
        return nullptr;
    }
};

}  // namespace

void registerWindow(const QString& className, WindowFactory factory)
{
    factories().insert(className, std::move(factory));
}

QString windowClassName(const QMetaObject& meta)
{
    const QString name = QString::fromLatin1(meta.className());
    return name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);
}

std::vector<ToolRegistration>& tools()
{
    static std::vector<ToolRegistration> list;
    return list;
}

void registerTool(ToolRegistration tool)
{
    if (tool.factory)
        registerWindow(tool.windowClass, tool.factory);
    auto& list = tools();
    // Registering again (another frame, a test) replaces the earlier registration.
    std::erase_if(list, [&](const ToolRegistration& known) {
        return tool.windowClass.isEmpty() ? known.windowClass.isEmpty() && known.chooserPlace == tool.chooserPlace
                                          : known.windowClass == tool.windowClass;
    });
    const auto place = std::ranges::find_if(
        list, [&](const ToolRegistration& known) { return known.chooserPlace > tool.chooserPlace; });
    list.insert(place, std::move(tool));
}

const std::vector<ToolRegistration>& registeredTools()
{
    return tools();
}

namespace {
std::vector<EditMenuEntry>& editEntries()
{
    static std::vector<EditMenuEntry> list;
    return list;
}
}  // namespace

void registerEditEntry(EditMenuEntry entry)
{
    auto& list = editEntries();
    const auto known = std::ranges::find(list, entry.name, &EditMenuEntry::name);
    if (known != list.end())
        *known = std::move(entry);
    else
        list.push_back(std::move(entry));
}

const std::vector<EditMenuEntry>& registeredEditEntries()
{
    return editEntries();
}

QString chooserName(const QString& className)
{
    for (const ToolRegistration& tool : tools())
        if (!tool.windowClass.isEmpty() && tool.windowClass == className)
            return withoutAccessKey(tool.chooserCaption);
    return {};
}

bool isWindowRegistered(const QString& className)
{
    return factories().contains(className);
}

void setWorkspace(QMdiArea* area)
{
    workspace() = area;
    static QPointer<OwnAccessKeys> accessKeys;
    if (area && !accessKeys) {
        accessKeys = new OwnAccessKeys(qApp);
        qApp->installEventFilter(accessKeys);
    }
}

QWidget* findOpenWindow(const QString& className)
{
    QMdiSubWindow* sub = findSubWindow(className);
    return sub ? sub->widget() : nullptr;
}

QWidget* openWindow(const QString& className)
{
    const auto factory = factories().constFind(className);
    if (factory == factories().constEnd() || !workspace()) {
        showMessage(QStringLiteral("not found"));
        return nullptr;
    }
    QMdiSubWindow* sub = findSubWindow(className);
    if (!sub) {
        // Not loaded: build it; its constructor runs its load handler.
        QWidget* widget = (*factory)();
        widget->setObjectName(className);
        prepare(widget);
        const QSize size = widget->size();
        sub = workspace()->addSubWindow(widget);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(workspace()->window()->windowIcon());
        new WindowWatcher(sub, widget);
        // The frame's Window menu closes the active child with Ctrl+F4 and Ctrl+W; the child's own
        // menu keeping those keys too would leave every one of them ambiguous.
        if (QMenu* own = sub->systemMenu())
            for (QAction* entry : own->actions())
                entry->setShortcuts({});
        // Restored, it starts at its design size, but never larger than the workspace.
        QSize restored = sub->sizeHint().expandedTo(size);
        if (workspace()->isVisible())
            restored = restored.boundedTo(workspace()->viewport()->size());
        sub->resize(restored);
    }
    sub->showMaximized();
    workspace()->setActiveSubWindow(sub);
    sub->raise();
    return sub->widget();
}

void showStatus(const QWidget* window, const QString& text)
{
    const auto* frame = qobject_cast<const QMainWindow*>(window ? window->window() : nullptr);
    if (auto* summary = frame ? frame->findChild<QLabel*>(QLatin1String(statusSummaryName)) : nullptr) {
        summary->setText(text);
        summary->setToolTip(text);
    }
}

QString counted(std::uint64_t count, const QString& one, const QString& many)
{
    return QLocale().toString(static_cast<qulonglong>(count)) + QChar(' ') + (count == 1 ? one : many);
}

QString secondsText(double seconds)
{
    return QLocale().toString(seconds, 'f', 1) + QStringLiteral(" s");
}

}  // namespace qb
