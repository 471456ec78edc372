// The chunk repeater window: the chunk in txtChunk, the input and output files in txtFileName_0
// and txtFileName_1, the counter start and the double-up box; GO! expands the chunk into the
// output file and rich1. The chunk is restored when the window loads and saved when it closes.
#pragma once

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace qb {

class frmCarpalTunnel : public QWidget {
    Q_OBJECT
public:
    explicit frmCarpalTunnel(QWidget* parent = nullptr);

    void Form_Load();
    void Form_Unload();
    void cmdChangeFile_Click(short Index);
    void cmdGo_Click();
    void cmdEditIn_Click();
    void cmdVim_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setupChunk(QWidget* client);
    void setupFiles(QWidget* client);
    void setupOptions(QWidget* client);
    void setupButtons(QWidget* client);
    void setupLayout(QWidget* client);
    // Makes an empty file at the input path when none is there, so an editor can open it.
    bool ensureInFile();

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QPlainTextEdit* txtChunk;
    QLineEdit* txtFileName[2];
    QPushButton* cmdChangeFile[2];
    QPushButton* cmdGo;
    QPushButton* cmdEditIn;
    QPushButton* cmdVim;
    QLineEdit* txtCountStart;
    QCheckBox* chkDoubleUp;
    QPlainTextEdit* rich1;
    // Set when the stored chunk could not be read: closing then leaves the store alone unless
    // the chunk was edited, so an unreadable store is not overwritten with the default chunk.
    bool keepStoredChunk_ = false;
};

}  // namespace qb
