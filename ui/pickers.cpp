#include "ui/pickers.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/behaviours.h"

namespace qb {

namespace {

// The mount point that holds `path` (the longest root that is a prefix of it).
QString driveOf(const QString& path, const QStringList& roots)
{
    QString best = QStringLiteral("/");
    for (const QString& root : roots) {
        const QString prefix = root.endsWith('/') ? root : root + '/';
        if ((path == root || path.startsWith(prefix)) && root.size() > best.size())
            best = root;
    }
    return best;
}

QStringList driveRoots()
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid())
            continue;
        const QString root = volume.rootPath();
        if (!roots.contains(root))
            roots.push_back(root);
    }
    roots.removeAll(QStringLiteral("/"));
    roots.sort();
    roots.prepend(QStringLiteral("/"));
    return roots;
}


// A real path: "/home/someone/projects/quillbox/src" and a little more.
constexpr int realPathCharacters = 36;

}  // namespace

DrivePicker::DrivePicker(QWidget* parent) : QComboBox(parent)
{
    setAccessibleName(QStringLiteral("Drive"));
    addItems(driveRoots());
    showDriveOf(QDir::currentPath());
    connect(this, &QComboBox::currentIndexChanged, this, &DrivePicker::changed);
}

void DrivePicker::showDriveOf(const QString& folder)
{
    QStringList roots;
    for (int i = 0; i < count(); ++i)
        roots.push_back(itemText(i));
    const QSignalBlocker quiet(this);
    setCurrentIndex(findText(driveOf(folder, roots)));
}

QString DrivePicker::drive() const
{
    return currentText();
}

void DrivePicker::setDrive(const QString& drive)
{
    int index = findText(drive);
    if (index < 0) {
        addItem(drive);
        index = count() - 1;
    }
    if (index == currentIndex())
        emit changed();
    else
        setCurrentIndex(index);  // raises changed() through currentIndexChanged
}

FolderPicker::FolderPicker(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Folder"));
    setupTree();
    pathLine_ = new QLineEdit(this);
    pathLine_->setObjectName(QStringLiteral("currentFolder"));
    pathLine_->setAccessibleName(QStringLiteral("Folder path"));
    pathLine_->setToolTip(QStringLiteral("The folder. Type or paste another one and press Enter to go there."));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(pathLine_);
    layout->addWidget(view_);

    showFolder(QDir::currentPath());
    acceptTypedFolder(pathLine_, this);
    acceptFolderDrops(this);
}

void FolderPicker::setupTree()
{
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setOption(QFileSystemModel::DontWatchForChanges);
    model_->setOption(QFileSystemModel::DontUseCustomDirectoryIcons);
    model_->setReadOnly(true);
    model_->setRootPath(QStringLiteral("/"));
    view_ = new QTreeView(this);
    view_->setObjectName(QStringLiteral("folderTree"));
    view_->setAccessibleName(QStringLiteral("Folders"));
    view_->setModel(model_);
    view_->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column)
        view_->hideColumn(column);
    view_->setUniformRowHeights(true);
    // Deep folders keep their names in view: a small indent, and the column as wide as its
    // names, so the tree scrolls sideways rather than cutting them off.
    view_->setIndentation(fontMetrics().averageCharWidth() * 2);
    view_->header()->setStretchLastSection(false);
    view_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    // Opening a folder in the tree (double click or Enter) makes it the current folder.
    connect(view_, &QTreeView::activated, this, [this](const QModelIndex& index) {
        setPath(model_->filePath(index));
    });
    // Folders are listed as the tree opens them: while the way down to the current folder loads,
    // the current folder stays in view.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        const QString prefix = loaded.endsWith(QLatin1Char('/')) ? loaded : loaded + QLatin1Char('/');
        if (path_ == loaded || path_.startsWith(prefix))
            keepCurrentInView();
    });
}

QSize FolderPicker::minimumSizeHint() const
{
    const int width = fontMetrics().averageCharWidth() * realPathCharacters;
    return QSize(width, pathLine_->sizeHint().height() + 4 * fontMetrics().height());
}

QSize FolderPicker::sizeHint() const
{
    return minimumSizeHint().expandedTo(QSize(0, 12 * fontMetrics().height()));
}

QString FolderPicker::path() const
{
    return path_;
}

bool FolderPicker::setPath(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir())
        return false;
    const QString full = QDir::cleanPath(info.absoluteFilePath());
    const bool changedFolder = full != path_;
    showFolder(full);
    if (changedFolder)
        emit changed();
    return true;
}

void FolderPicker::showFolder(const QString& path)
{
    path_ = path;
    pathLine_->setText(path);
    // The tree shows the way down to the folder and the folder's own subfolders.
    const QModelIndex index = model_->index(path);
    view_->collapseAll();
    view_->setCurrentIndex(index);
    view_->expand(index);
    keepCurrentInView();
}

void FolderPicker::keepCurrentInView()
{
    const QModelIndex index = view_->currentIndex();
    if (!index.isValid())
        return;
    view_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    // Sideways, the tree stays at its left edge unless a deep folder's name would not fit; then it
    // scrolls just far enough to show the name whole.
    QScrollBar* across = view_->horizontalScrollBar();
    const int left = view_->visualRect(index).left() + across->value();
    const int nameEnd = left + style()->pixelMetric(QStyle::PM_SmallIconSize) + fontMetrics().averageCharWidth() * 2 +
                        fontMetrics().horizontalAdvance(model_->fileName(index));
    across->setValue(std::max(0, nameEnd - view_->viewport()->width()));
}

}  // namespace qb
