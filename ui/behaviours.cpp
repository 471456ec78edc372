#include "ui/behaviours.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QAbstractScrollArea>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "ui/cp1252.h"
#include "core/fs.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/pickers.h"
#include "ui/services.h"

namespace qb {

namespace {

// Twips per pixel at the windows' design scale.
float twipsPerPixel()
{
    return static_cast<float>(15.0 / designScale());
}

// The first local file or folder in dragged data that `wanted` takes, or an empty text.
QString droppedPath(const QMimeData* data, const std::function<bool(const QFileInfo&)>& wanted)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && wanted(QFileInfo(url.toLocalFile())))
            return QDir::cleanPath(url.toLocalFile());
    return {};
}

bool holdsLocalPaths(const QMimeData* data)
{
    return data && data->hasUrls() && std::ranges::any_of(data->urls(), &QUrl::isLocalFile);
}

// Takes drops of local paths that `wanted` accepts on a widget, before the widget's own handling
// (a one-line box would otherwise insert the path as a URL). Other local paths pass on to the
// widgets around it; dragged text stays the widget's own business.
class PathDrop : public QObject {
public:
    using Take = std::function<void(const QString& path, QPoint globalPos)>;
    PathDrop(QWidget* target, std::function<bool(const QFileInfo&)> wanted, Take take)
        : QObject(target), wanted_(std::move(wanted)), take_(std::move(take))
    {
        target->setAcceptDrops(true);
        target->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (droppedPath(drag->mimeData(), wanted_).isEmpty()) {
                if (!holdsLocalPaths(drag->mimeData()))
                    return false;
                drag->ignore();
                return true;
            }
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = droppedPath(drop->mimeData(), wanted_);
            if (path.isEmpty())
                return false;
            drop->acceptProposedAction();
            const QPoint at = static_cast<QWidget*>(watched)->mapToGlobal(drop->position().toPoint());
            runGuarded([&] { take_(path, at); });
            return true;
        }
        default:
            return false;
        }
    }

private:
    std::function<bool(const QFileInfo&)> wanted_;
    Take take_;
};

bool isFolder(const QFileInfo& info) { return info.isDir(); }
bool isFile(const QFileInfo& info) { return info.isFile(); }

// The folder picker of `target` nearest to `globalPos`: the target itself when it is one.
FolderPicker* nearestPicker(QWidget* target, QPoint globalPos)
{
    if (auto* picker = qobject_cast<FolderPicker*>(target))
        return picker;
    FolderPicker* nearest = nullptr;
    qint64 best = 0;
    for (FolderPicker* picker : target->findChildren<FolderPicker*>()) {
        const QPoint centre = picker->mapToGlobal(picker->rect().center());
        const qint64 dx = centre.x() - globalPos.x(), dy = centre.y() - globalPos.y();
        if (!nearest || dx * dx + dy * dy < best) {
            nearest = picker;
            best = dx * dx + dy * dy;
        }
    }
    return nearest;
}

// Shows the picker's folder again once the user leaves the box after editing it; a message box
// taking the focus does not count, so a refused path stays to be corrected.
class RevertOnLeave : public QObject {
public:
    RevertOnLeave(QLineEdit* box, FolderPicker* folder) : QObject(box), box_(box), folder_(folder)
    {
        box->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut && box_->isModified()) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                box_->setText(folder_->path());
        }
        return false;
    }

private:
    QLineEdit* box_;
    FolderPicker* folder_;
};

// Runs `onResize` whenever `window` is resized.
class ResizeFilter : public QObject {
public:
    ResizeFilter(QWidget* window, std::function<void()> onResize)
        : QObject(window), onResize_(std::move(onResize))
    {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            runGuarded(onResize_);
        return false;
    }
private:
    std::function<void()> onResize_;
};

// The window's outer size (frame and caption included when it is a child window), in twips.
QSizeF outerSizeInTwips(const QWidget* window)
{
    const QWidget* outer = window;
    if (auto* sub = qobject_cast<const QMdiSubWindow*>(window->parentWidget()))
        outer = sub;
    return QSizeF(outer->width(), outer->height()) * twipsPerPixel();
}

// The scroll area that `box`'s client scrolls in, if any.
QAbstractScrollArea* enclosingScrollArea(const QWidget* box)
{
    for (QWidget* above = box->parentWidget(); above; above = above->parentWidget())
        if (auto* scroll = qobject_cast<QAbstractScrollArea*>(above))
            return scroll;
    return nullptr;
}

}  // namespace

BoxSize stretchedBoxSize(float windowWidth, float windowHeight, float left, float top, BoxSize current)
{
    BoxSize size = current;
    const float height = windowHeight - top - 1300;
    if (height >= 1000)
        size.height = height;
    const float width = windowWidth - left - 300;
    if (width >= 1000)
        size.width = width;
    return size;
}

float followedInputWidth(float windowWidth)
{
    return std::max(0.0f, windowWidth - 100);
}

void setTabChain(std::initializer_list<QWidget*> widgets)
{
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

bool openFolderReported(FolderPicker* folder, const QString& path)
{
    const QFileInfo info(path);
    const std::string named = toPath(path).string();
    Error error;
    if (auto opened = FileSystemObject().GetFolder(toPath(path)); !opened)
        error = std::move(opened.error());
    else if (!info.isReadable() || !QDir(path).isReadable())
        error = Error{err::PermissionDenied, named + ": permission denied"};
    else if (folder->setPath(path))
        return true;
    else
        error = Error{err::PathNotFound, named + ": cannot be opened"};
    showError(error);
    return false;
}

void pairDrive(DrivePicker* drive, FolderPicker* folder)
{
    QObject::connect(drive, &DrivePicker::changed, folder,
                     guarded([drive, folder] { openFolderReported(folder, drive->drive()); }));
}

void echoFolderPath(FolderPicker* folder, QLineEdit* pathBox)
{
    QObject::connect(folder, &FolderPicker::changed, pathBox,
                     guarded([folder, pathBox] { pathBox->setText(folder->path()); }));
    acceptTypedFolder(pathBox, folder);
}

void acceptTypedFolder(QLineEdit* box, FolderPicker* folder)
{
    box->setReadOnly(false);
    QObject::connect(box, &QLineEdit::returnPressed, folder, guarded([box, folder] {
        QString typed = box->text().trimmed();
        if (typed == QLatin1String("~") || typed.startsWith(QLatin1String("~/")))
            typed = QDir::homePath() + typed.mid(1);
        if (QDir::isRelativePath(typed))
            typed = QDir(folder->path()).filePath(typed);
        if (openFolderReported(folder, typed))
            box->setText(folder->path());
        else
            box->selectAll();
    }));
    new RevertOnLeave(box, folder);
    new PathDrop(box, isFolder, [folder](const QString& path, QPoint) { openFolderReported(folder, path); });
}

void acceptFolderDrops(QWidget* target)
{
    new PathDrop(target, isFolder, [target](const QString& path, QPoint at) {
        if (FolderPicker* picker = nearestPicker(target, at))
            openFolderReported(picker, path);
    });
}

void acceptFileDrops(QLineEdit* box)
{
    new PathDrop(box, isFile, [box](const QString& path, QPoint) { box->setText(path); });
}

void acceptFolderPathDrops(QLineEdit* box)
{
    new PathDrop(box, isFolder, [box](const QString& path, QPoint) { box->setText(path); });
}

void listFolderFiles(FolderPicker* folder, QListWidget* list)
{
    QObject::connect(folder, &FolderPicker::changed, list, guarded([folder, list] {
        list->clear();
        FileSystemObject fso;
        const auto files = andThen(fso.GetFolder(toPath(folder->path())), [](const Folder& shown) { return shown.Files(); });
        if (!files) {
            showError(files.error());
            return;
        }
        QStringList names;
        names.reserve(static_cast<qsizetype>(files->size()));
        for (const File& file : *files)
            names.push_back(fromPath(file.Path().filename()));
        list->addItems(names);
    }));
}

bool removeSelectedEntry(QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return false;
    delete list->takeItem(list->row(selected.first()));
    list->clearSelection();
    list->setCurrentRow(-1);
    return true;
}

void editableList(QListWidget* list, QAbstractButton* remove)
{
    auto* removeEntry = new QAction(QStringLiteral("&Remove"), list);
    removeEntry->setObjectName(QStringLiteral("mnuRemoveEntry"));
    removeEntry->setShortcut(QKeySequence::Delete);
    removeEntry->setShortcutContext(Qt::WidgetShortcut);
    auto* clear = new QAction(QStringLiteral("&Clear"), list);
    clear->setObjectName(QStringLiteral("mnuClearList"));
    list->addActions({removeEntry, clear});
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto removeSelected = guarded([list] { removeSelectedEntry(list); });
    QObject::connect(removeEntry, &QAction::triggered, list, removeSelected);
    QObject::connect(remove, &QAbstractButton::clicked, list, removeSelected);
    QObject::connect(clear, &QAction::triggered, list, &QListWidget::clear);
    // Each is offered only when it has something to act on. This runs while the list is being
    // destroyed too (its model resets then), when it is no longer a QListWidget and the button may
    // be gone already, so each is looked at before it is used.
    const auto offer = [listObject = static_cast<QObject*>(list), remove = QPointer<QAbstractButton>(remove),
                        removeEntry = QPointer<QAction>(removeEntry), clear = QPointer<QAction>(clear)] {
        auto* list = qobject_cast<QListWidget*>(listObject);
        if (!list || !remove || !removeEntry || !clear)
            return;
        const bool selected = !list->selectedItems().isEmpty();
        remove->setEnabled(selected);
        removeEntry->setEnabled(selected);
        clear->setEnabled(list->count() > 0);
    };
    QObject::connect(list, &QListWidget::itemSelectionChanged, list, offer);
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, list, offer);
    QObject::connect(list->model(), &QAbstractItemModel::rowsRemoved, list, offer);
    QObject::connect(list->model(), &QAbstractItemModel::modelReset, list, offer);
    offer();
}

void stretchResultBox(QWidget* window, QWidget* box)
{
    new ResizeFilter(window, [window, box] {
        const float perPixel = twipsPerPixel();
        const QSizeF outer = outerSizeInTwips(window);
        const BoxSize current{box->width() * perPixel, box->height() * perPixel};
        const BoxSize size = stretchedBoxSize(static_cast<float>(outer.width()), static_cast<float>(outer.height()),
                                              box->x() * perPixel, box->y() * perPixel, current);
        box->resize(static_cast<int>(std::lround(size.width / perPixel)),
                    static_cast<int>(std::lround(size.height / perPixel)));
        box->updateGeometry();  // the client scrolls to all of it
    });
}

void followInputWidth(QWidget* window, QWidget* box)
{
    QAbstractScrollArea* scroll = enclosingScrollArea(box);
    const auto follow = [window, box, scroll] {
        // Never under the client's scroll bar, where its own would be hidden.
        const float width = followedInputWidth(static_cast<float>(outerSizeInTwips(window).width()));
        int pixels = static_cast<int>(width / twipsPerPixel());
        if (scroll)
            pixels = std::min(pixels, scroll->viewport()->width());
        // A fixed width, so a layout that holds the box keeps it too.
        box->setFixedWidth(std::max(0, pixels));
        box->move(0, box->y());
    };
    new ResizeFilter(window, follow);
    if (scroll)  // its viewport settles after the window, when scroll bars come or go
        new ResizeFilter(scroll->viewport(), follow);
}

}  // namespace qb
