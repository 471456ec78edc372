// The hex/decimal converter window: a comma-separated list in Text1, the direction in Option1,
// the converted list in Text2.
#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qb {

class frmHex2Dec : public QWidget {
    Q_OBJECT
public:
    explicit frmHex2Dec(QWidget* parent = nullptr);
    void Command1_Click();

private:
    void setupControls(QWidget* client);
    void setupLayout(QWidget* client);

    QLabel* Label1;
    QLabel* Label2;
    QGroupBox* Option1;
    QPushButton* Command1;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QRadioButton* Option1_0;
    QRadioButton* Option1_1;
};

}  // namespace qb
