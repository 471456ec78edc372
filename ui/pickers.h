// The drive picker and the folder picker. The drive picker lists the machine's drive roots (here,
// mount points, "/" first) and exposes the chosen one as the `drive` property. The folder picker
// shows folders only; its value is the full path of one existing folder, exposed as the `path`
// property, and it raises changed() whenever that folder changes, whoever changed it. Both start
// on the process's current folder without raising a change.
#pragma once

#include <QComboBox>
#include <QWidget>

class QFileSystemModel;
class QTreeView;
class QLineEdit;

namespace qb {

class DrivePicker : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString drive READ drive WRITE setDrive NOTIFY changed)
public:
    explicit DrivePicker(QWidget* parent = nullptr);
    QString drive() const;
    // Selects `drive` (adding it to the list when it is not there) and raises changed().
    void setDrive(const QString& drive);
    // Shows the drive that holds `folder` without raising changed().
    void showDriveOf(const QString& folder);
signals:
    void changed();
};

class FolderPicker : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY changed)
public:
    explicit FolderPicker(QWidget* parent = nullptr);
    QString path() const;
    // Opens `path` as the user would; raises changed() when the folder changes. A path that is
    // not an existing folder is refused: false, and the picker keeps its folder.
    bool setPath(const QString& path);
    // Wide enough for a real path.
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
signals:
    void changed();

private:
    void setupTree();
    void keepCurrentInView();
    void showFolder(const QString& path);
    QFileSystemModel* model_;
    QTreeView* view_;
    QLineEdit* pathLine_;
    QString path_;
};

}  // namespace qb
