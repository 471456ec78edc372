// The link-table generator window: the table name in txtName, ID names collected from Text1 into
// List1, the dialect in Frame1; Command2 shows the script in RichTextBox1.
#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace qb {

class frmMakeLinktables : public QWidget {
    Q_OBJECT
public:
    explicit frmMakeLinktables(QWidget* parent = nullptr);

    void Command1_Click();
    void cmdDelete_Click();
    void cmdClearAll_Click();
    void Command2_Click();

private:
    void setupInputs(QWidget* client);
    void setupList(QWidget* client);
    void setupOutput(QWidget* client);
    void setupLayout(QWidget* client);

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* cmdDelete;
    QPushButton* cmdClearAll;
    QGroupBox* Frame1;
    QLineEdit* txtName;
    QLineEdit* Text1;
    QListWidget* List1;
    QRadioButton* optSql;
    QRadioButton* optOracle;
    QPlainTextEdit* RichTextBox1;
};

}  // namespace qb
