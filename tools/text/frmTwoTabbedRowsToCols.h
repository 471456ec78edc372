// The rows-to-columns window: two tab-separated lines in richIn, the padded columns in richOut,
// which the print button prints in a fixed font.
#pragma once

#include <QWidget>

#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qb {

class frmTwoTabbedRowsToCols : public QWidget {
    Q_OBJECT
public:
    explicit frmTwoTabbedRowsToCols(QWidget* parent = nullptr);

    void cmdGo_Click();
    void cmdPrint_Click();
    // The converted text of richIn; a problem is shown as a message and gives an empty text.
    std::string rowToCol();

private:
    void setupControls(QWidget* client);
    void setupLayout(QWidget* client);

    QLabel* Label1;
    QLabel* Label2;
    QPushButton* cmdGo;
    QPushButton* cmdPrint;
    QPlainTextEdit* richIn;
    QPlainTextEdit* richOut;
};

}  // namespace qb
