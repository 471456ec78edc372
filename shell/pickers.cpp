#include "shell/pickers.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

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

}  // namespace

DrivePicker::DrivePicker(QWidget* parent) : QComboBox(parent)
{
    const QStringList roots = driveRoots();
    addItems(roots);
    setCurrentIndex(findText(driveOf(QDir::currentPath(), roots)));
    connect(this, &QComboBox::currentIndexChanged, this, &DrivePicker::changed);
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
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setOption(QFileSystemModel::DontWatchForChanges);
    model_->setOption(QFileSystemModel::DontUseCustomDirectoryIcons);
    model_->setReadOnly(true);
    model_->setRootPath(QStringLiteral("/"));

    pathLine_ = new QLineEdit(this);
    pathLine_->setReadOnly(true);
    pathLine_->setObjectName(QStringLiteral("currentFolder"));
    view_ = new QTreeView(this);
    view_->setModel(model_);
    view_->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column)
        view_->hideColumn(column);
    view_->setUniformRowHeights(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(pathLine_);
    layout->addWidget(view_);

    showFolder(QDir::currentPath());
    // Opening a folder in the tree (double click or Enter) makes it the current folder.
    connect(view_, &QTreeView::activated, this, [this](const QModelIndex& index) {
        setPath(model_->filePath(index));
    });
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
    const QModelIndex index = model_->index(path);
    view_->setCurrentIndex(index);
    view_->expand(index);
    view_->scrollTo(index);
}

}  // namespace qb
