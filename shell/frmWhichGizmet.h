// The tool chooser: one button per tool, in two columns.
#pragma once

#include <QWidget>

namespace qb {

class frmWhichGizmet : public QWidget {
    Q_OBJECT
public:
    explicit frmWhichGizmet(QWidget* parent = nullptr);
    void cmdOpenForm_Click(short Index);
};

}  // namespace qb
