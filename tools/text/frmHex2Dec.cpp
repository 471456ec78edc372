#include "tools/text/frmHex2Dec.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/services.h"
#include "ui/windows.h"
#include "tools/text/hexdec.h"

namespace qb {

frmHex2Dec::frmHex2Dec(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Form2"));
    explainWindow(this, QStringLiteral("Hex 2 Dec 2 Hex 2...: converts comma-separated numbers between hexadecimal "
                                       "and decimal."));
    resize(px(10440), px(8715));
    QWidget* client = scrollingClient(this);
    setupControls(client);
    setupLayout(client);
    setTabChain({Text1, Option1_0, Option1_1, Command1, Text2});

    connect(Command1, &QPushButton::clicked, this, guarded([this] { Command1_Click(); }));
    connect(Text1, &QLineEdit::returnPressed, this, guarded([this] { Command1_Click(); }));
}

void frmHex2Dec::setupControls(QWidget* client)
{
    Label2 = make<QLabel>(
        client, "Label2", QStringLiteral("For more than one number in the dec to hex, separate with commas with NO spaces."));
    Text1 = make<QLineEdit>(client, "Text1");
    Option1 = make<QGroupBox>(client, "Option1");
    Option1_0 = make<QRadioButton>(Option1, "Option1_0", QStringLiteral("&Hex to Dec"));
    Option1_0->setChecked(true);
    Option1_1 = make<QRadioButton>(Option1, "Option1_1", QStringLiteral("&Dec to Hex"));
    Command1 = make<QPushButton>(client, "Command1", QStringLiteral("&go"));
    Command1->setDefault(true);
    Label1 = make<QLabel>(client, "Label1", QStringLiteral("Result"));
    Text2 = make<QLineEdit>(client, "Text2", QStringLiteral("Text2"));
    Label2->setBuddy(Text1);
    Label1->setBuddy(Text2);
    Option1->setAccessibleName(QStringLiteral("Direction"));
    explain(Text2, QStringLiteral("The converted numbers, separated by commas"));
}

void frmHex2Dec::setupLayout(QWidget* client)
{
    auto* directions = new QVBoxLayout(Option1);
    directions->addWidget(Option1_0);
    directions->addWidget(Option1_1);
    auto* row = new QHBoxLayout;
    row->addWidget(Option1);
    row->addWidget(Command1, 0, Qt::AlignVCenter);
    row->addStretch();
    auto* layout = new QVBoxLayout(client);
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
        return;
    }
    const auto numbers = static_cast<std::uint64_t>(Text1->text().count(QLatin1Char(',')) + 1);
    showStatus(this, QStringLiteral("Hex 2 Dec 2 Hex 2...: %1 converted")
                         .arg(counted(numbers, QStringLiteral("number"), QStringLiteral("numbers"))));
}

}  // namespace qb
