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
#include "shell/kit.h"
#include "shell/services.h"
#include "tools/text/hexdec.h"

namespace qb {

frmHex2Dec::frmHex2Dec(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Form2"));
    resize(px(10440), px(8715));
    setupControls();
    setupLayout();
    setTabChain({Text1, Option1_0, Option1_1, Command1, Text2});

    connect(Command1, &QPushButton::clicked, this, guarded([this] { Command1_Click(); }));
    connect(Text1, &QLineEdit::returnPressed, this, guarded([this] { Command1_Click(); }));
}

void frmHex2Dec::setupControls()
{
    Label2 = make<QLabel>(
        this, "Label2", QStringLiteral("For more than one number in the dec to hex, separate with commas with NO spaces."));
    Text1 = make<QLineEdit>(this, "Text1");
    Option1 = make<QGroupBox>(this, "Option1");
    Option1_0 = make<QRadioButton>(Option1, "Option1_0", QStringLiteral("Hex to Dec"));
    Option1_0->setChecked(true);
    Option1_1 = make<QRadioButton>(Option1, "Option1_1", QStringLiteral("Dec to Hex"));
    Command1 = make<QPushButton>(this, "Command1", QStringLiteral("go"));
    Command1->setDefault(true);
    Label1 = make<QLabel>(this, "Label1", QStringLiteral("Result"));
    Text2 = make<QLineEdit>(this, "Text2", QStringLiteral("Text2"));
}

void frmHex2Dec::setupLayout()
{
    auto* directions = new QVBoxLayout(Option1);
    directions->addWidget(Option1_0);
    directions->addWidget(Option1_1);
    auto* row = new QHBoxLayout;
    row->addWidget(Option1);
    row->addWidget(Command1, 0, Qt::AlignVCenter);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addWidget(Text1);
    layout->addLayout(row);
    layout->addWidget(Label1);
    layout->addWidget(Text2);
    layout->addStretch();
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
