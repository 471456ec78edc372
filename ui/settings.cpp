#include "ui/settings.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "ui/behaviours.h"
#include "ui/pickers.h"

namespace qb {

namespace {

const QString rememberKey = QStringLiteral("options/rememberInputs");
const char* pathKind = "rememberedPath";  // property of a path box: "file" or "folder"
const char* pathList = "rememberedPaths";  // property of a list of file paths
const char* textKind = "rememberedText";  // property of a box whose text is remembered as it is

bool exists(const QString& path, const QString& kind)
{
    const QFileInfo info(path);
    return kind == QLatin1String("folder") ? info.isDir() : info.isFile();
}

// The drive picker paired with a folder picker: Drive1 with Dir1, Drive2 with Dir2.
DrivePicker* driveFor(const QWidget* window, const FolderPicker* folder)
{
    QString name = folder->objectName();
    if (!name.startsWith(QLatin1String("Dir")))
        return nullptr;
    return window->findChild<DrivePicker*>(name.replace(0, 3, QStringLiteral("Drive")));
}

void restoreFolders(QWidget* window, const QSettings& stored)
{
    for (FolderPicker* folder : window->findChildren<FolderPicker*>()) {
        const QString path = stored.value(folder->objectName()).toString();
        if (!exists(path, QStringLiteral("folder")) || !folder->setPath(path))
            continue;
        if (DrivePicker* drive = driveFor(window, folder))
            drive->showDriveOf(folder->path());
    }
}

void restorePaths(QWidget* window, const QSettings& stored)
{
    for (QLineEdit* box : window->findChildren<QLineEdit*>()) {
        const QString kind = box->property(pathKind).toString();
        const QString path = stored.value(box->objectName()).toString();
        if (!kind.isEmpty() && exists(path, kind))
            box->setText(path);
        else if (box->property(textKind).toBool() && stored.contains(box->objectName()))
            box->setText(stored.value(box->objectName()).toString());
    }
    for (QListWidget* list : window->findChildren<QListWidget*>()) {
        if (!list->property(pathList).toBool() || !stored.contains(list->objectName()))
            continue;
        list->clear();
        for (const QString& path : stored.value(list->objectName()).toStringList())
            if (exists(path, QStringLiteral("file")))
                list->addItem(path);
    }
}

void restoreOptions(QWidget* window, const QSettings& stored)
{
    for (QCheckBox* box : window->findChildren<QCheckBox*>())
        if (stored.contains(box->objectName()))
            box->setChecked(stored.value(box->objectName()).toBool());
    for (QRadioButton* option : window->findChildren<QRadioButton*>())
        if (stored.value(option->objectName()).toBool())
            option->setChecked(true);
}

}  // namespace

Settings::Settings() : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quillbox"), QStringLiteral("Quillbox"))
{
}

bool rememberInputs()
{
    return Settings().value(rememberKey, true).toBool();
}

void setRememberInputs(bool on)
{
    Settings().setValue(rememberKey, on);
}

void filePathBox(QLineEdit* box)
{
    box->setProperty(pathKind, QStringLiteral("file"));
    acceptFileDrops(box);
}

void folderPathBox(QLineEdit* box)
{
    box->setProperty(pathKind, QStringLiteral("folder"));
    acceptFolderPathDrops(box);
}

void filePathList(QListWidget* list)
{
    list->setProperty(pathList, true);
}

void rememberedTextBox(QLineEdit* box)
{
    box->setProperty(textKind, true);
}

void restoreInputs(QWidget* window)
{
    if (!rememberInputs())
        return;
    Settings stored;
    stored.beginGroup(window->objectName());
    restoreFolders(window, stored);
    restorePaths(window, stored);
    restoreOptions(window, stored);
}

void saveInputs(const QWidget* window)
{
    if (!rememberInputs())
        return;
    Settings stored;
    stored.beginGroup(window->objectName());
    for (const FolderPicker* folder : window->findChildren<FolderPicker*>())
        stored.setValue(folder->objectName(), folder->path());
    for (const QLineEdit* box : window->findChildren<QLineEdit*>())
        if (!box->property(pathKind).toString().isEmpty() || box->property(textKind).toBool())
            stored.setValue(box->objectName(), box->text());
    for (const QListWidget* list : window->findChildren<QListWidget*>()) {
        if (!list->property(pathList).toBool())
            continue;
        QStringList paths;
        for (int row = 0; row < list->count(); ++row)
            paths.push_back(list->item(row)->text());
        stored.setValue(list->objectName(), paths);
    }
    for (const QCheckBox* box : window->findChildren<QCheckBox*>())
        stored.setValue(box->objectName(), box->isChecked());
    for (const QRadioButton* option : window->findChildren<QRadioButton*>())
        stored.setValue(option->objectName(), option->isChecked());
}

}  // namespace qb
