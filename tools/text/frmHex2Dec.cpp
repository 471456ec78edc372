#include "tools/text/frmHex2Dec.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/behaviours.h"
#include "shell/cp1252.h"
#include "shell/guard.h"
#include "shell/services.h"
#include "tools/text/hexdec.h"

namespace qb {

frmHex2Dec::frmHex2Dec(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmHex2Dec"));
    setWindowTitle(QStringLiteral("Form2"));
    resize(px(10440), px(8715));

    auto* Label2 = new QLabel(
        QStringLiteral("For more than one number in the dec to hex, separate with commas with NO spaces."), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));

    auto* directions = new QGroupBox(this);
    directions->setObjectName(QStringLiteral("Option1"));
    Option1_0 = new QRadioButton(QStringLiteral("Hex to Dec"), directions);
    Option1_0->setObjectName(QStringLiteral("Option1_0"));
    Option1_0->setChecked(true);
    Option1_1 = new QRadioButton(QStringLiteral("Dec to Hex"), directions);
    Option1_1->setObjectName(QStringLiteral("Option1_1"));
    auto* directionLayout = new QVBoxLayout(directions);
    directionLayout->addWidget(Option1_0);
    directionLayout->addWidget(Option1_1);

    auto* Command1 = new QPushButton(QStringLiteral("go"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);

    auto* Label1 = new QLabel(QStringLiteral("Result"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text2 = new QLineEdit(QStringLiteral("Text2"), this);
    Text2->setObjectName(QStringLiteral("Text2"));

    auto* row = new QHBoxLayout;
    row->addWidget(directions);
    row->addWidget(Command1, 0, Qt::AlignVCenter);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addWidget(Text1);
    layout->addLayout(row);
    layout->addWidget(Label1);
    layout->addWidget(Text2);
    layout->addStretch();

    setTabChain({Text1, Option1_0, Option1_1, Command1, Text2});

    connect(Command1, &QPushButton::clicked, this, guarded([this] { Command1_Click(); }));
    connect(Text1, &QLineEdit::returnPressed, this, guarded([this] { Command1_Click(); }));
}

void frmHex2Dec::Command1_Click()
{
    Text2->clear();
    const auto direction = Option1_0->isChecked() ? HexDirection::HexToDec : HexDirection::DecToHex;
    const HexDecResult result = convertHexDec(lineBytes(Text1), direction);
    setLineBytes(Text2, result.text);
    if (result.error) {
        showMessage(fromCp1252(hexDecErrorMessage(*result.error)));
        Text1->setFocus();
    }
}

}  // namespace qb
