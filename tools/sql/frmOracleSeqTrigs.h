// The sequence-and-trigger generator window: the table name in Text1, its singular in Text3
// (guessed from Text1 on every change), the folder for the files in Text2; Command1 shows the
// sequence script in RichTextBox1 and the trigger script in RichTextBox2 and saves both.
#pragma once

#include <QWidget>

#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qb {

class frmOracleSeqTrigs : public QWidget {
    Q_OBJECT
public:
    explicit frmOracleSeqTrigs(QWidget* parent = nullptr);

    void Command1_Click();
    void Text1_Change();
    void Text3_GotFocus();

private:
    // Shows both scripts and writes both files; false when a file was not written (the message
    // has been shown then).
    bool createSeqTrig(const std::string& strTableName);

    void setupInputs(QWidget* client);
    void setupOutput(QWidget* client);
    void setupLayout(QWidget* client);

    QLabel* Label1[3];
    QPushButton* Command1;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QPlainTextEdit* RichTextBox1;
    QPlainTextEdit* RichTextBox2;
    QLabel* Label2;
};

}  // namespace qb
