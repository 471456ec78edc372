// The tool chooser: one button per tool, in two columns.
#pragma once

#include <QList>
#include <QWidget>

class QPushButton;
class QString;

namespace qb {

// The name the chooser gives the tool of window class `className`, as it reads (no access key);
// empty for a window the chooser has no button for.
QString chooserName(const QString& className);

class frmWhichGizmet : public QWidget {
    Q_OBJECT
public:
    explicit frmWhichGizmet(QWidget* parent = nullptr);
    void cmdOpenForm_Click(short Index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeButtons();

    QWidget* client_;
    QList<QPushButton*> buttons_;
};

}  // namespace qb
