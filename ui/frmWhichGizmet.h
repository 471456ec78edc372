// The tool chooser: one button per tool, in two columns.
#pragma once

#include <QList>
#include <QWidget>

class QPushButton;
class QString;

namespace qb {

// Registers the chooser itself and its buttons for tools the program does not have, which
// answer "not found".
void registerChooser();

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
    // Each button's place and the window class behind it (empty for "not found").
    QList<short> places_;
    QList<QString> windows_;
};

}  // namespace qb
