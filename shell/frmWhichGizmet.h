// The tool chooser: one button per tool, in two columns.
#pragma once

#include <QList>
#include <QWidget>

class QPushButton;

namespace qb {

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
