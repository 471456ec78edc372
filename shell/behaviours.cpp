#include "shell/behaviours.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "shell/cp1252.h"
#include "shell/fs.h"
#include "shell/guard.h"
#include "shell/pickers.h"
#include "shell/services.h"

namespace qb {

namespace {

constexpr float twipsPerPixel = 15.0f;

// Moves the folder picker to the chosen drive; a drive whose folder cannot be opened gives one
// message and leaves the picker where it was.
void followDrive(DrivePicker* drive, FolderPicker* folder)
{
    const QString root = drive->drive();
    const QFileInfo info(root);
    Error error;
    if (!info.isDir())
        error = Error{err::PathNotFound, toCp1252(root) + ": no such folder"};
    else if (!info.isReadable() || !QDir(root).isReadable())
        error = Error{err::PermissionDenied, toCp1252(root) + ": permission denied"};
    else if (folder->setPath(root))
        return;
    else
        error = Error{err::PathNotFound, toCp1252(root) + ": cannot be opened"};
    showMessage(messageText(formatError(error)));
}

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
    return QSizeF(outer->width(), outer->height()) * twipsPerPixel;
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

void pairDrive(DrivePicker* drive, FolderPicker* folder)
{
    QObject::connect(drive, &DrivePicker::changed, folder, guarded([drive, folder] { followDrive(drive, folder); }));
}

void pairDriveReported(DrivePicker* drive, FolderPicker* folder)
{
    // Both pairings report a drive that cannot be opened the same way: number :: description.
    pairDrive(drive, folder);
}

void echoFolderPath(FolderPicker* folder, QLineEdit* pathBox)
{
    QObject::connect(folder, &FolderPicker::changed, pathBox,
                     guarded([folder, pathBox] { pathBox->setText(folder->path()); }));
}

void listFolderFiles(FolderPicker* folder, QListWidget* list)
{
    QObject::connect(folder, &FolderPicker::changed, list, guarded([folder, list] {
        list->clear();
        FileSystemObject fso;
        const auto shown = fso.GetFolder(toPath(folder->path()));
        const auto files = shown ? shown->Files() : std::unexpected(shown.error());
        if (!files) {
            showMessage(messageText(formatError(files.error())));
            return;
        }
        QStringList names;
        names.reserve(static_cast<qsizetype>(files->size()));
        for (const File& file : *files)
            names.push_back(fromPath(file.Path().filename()));
        list->addItems(names);
    }));
}

void stretchResultBox(QWidget* window, QWidget* box)
{
    new ResizeFilter(window, [window, box] {
        const QSizeF outer = outerSizeInTwips(window);
        const BoxSize current{box->width() * twipsPerPixel, box->height() * twipsPerPixel};
        const BoxSize size = stretchedBoxSize(static_cast<float>(outer.width()), static_cast<float>(outer.height()),
                                              box->x() * twipsPerPixel, box->y() * twipsPerPixel, current);
        box->resize(static_cast<int>(std::lround(size.width / twipsPerPixel)),
                    static_cast<int>(std::lround(size.height / twipsPerPixel)));
    });
}

void followInputWidth(QWidget* window, QWidget* box)
{
    new ResizeFilter(window, [window, box] {
        const float width = followedInputWidth(static_cast<float>(outerSizeInTwips(window).width()));
        box->setGeometry(0, box->y(), static_cast<int>(width / twipsPerPixel), box->height());
    });
}

}  // namespace qb
