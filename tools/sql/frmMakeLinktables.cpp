#include "tools/sql/frmMakeLinktables.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <string>
#include <vector>

#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/services.h"
#include "ui/windows.h"
#include "tools/sql/linkTable.h"
#include "tools/sql/scriptBox.h"

namespace qb {

namespace {

// Gives a one-line box the focus with its whole text selected, so typing replaces it.
void focusSelected(QLineEdit* box)
{
    box->setFocus();
    box->selectAll();
}

}  // namespace

frmMakeLinktables::frmMakeLinktables(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Make Link Tables"));
    resize(px(10500), px(8000));
    QWidget* client = scrollingClient(this);
    setupInputs(client);
    setupList(client);
    setupOutput(client);
    setupLayout(client);
    setTabChain({txtName, Text1, Command1, Command2, List1, RichTextBox1, optSql, optOracle, cmdDelete, cmdClearAll});

    connect(Command1, &QPushButton::clicked, this, guarded([this] { Command1_Click(); }));
    connect(Text1, &QLineEdit::returnPressed, this, guarded([this] { Command1_Click(); }));
    connect(cmdDelete, &QPushButton::clicked, this, guarded([this] { cmdDelete_Click(); }));
    connect(cmdClearAll, &QPushButton::clicked, this, guarded([this] { cmdClearAll_Click(); }));
    connect(Command2, &QPushButton::clicked, this, guarded([this] { Command2_Click(); }));
}

void frmMakeLinktables::setupInputs(QWidget* client)
{
    Label1 = make<QLabel>(client, "Label1", QStringLiteral("Link Table Name"));
    txtName = make<QLineEdit>(client, "txtName");
    Label1->setBuddy(txtName);
    Label2 = make<QLabel>(client, "Label2", QStringLiteral("ID Name"));
    Text1 = make<QLineEdit>(client, "Text1");
    Label2->setBuddy(Text1);
    Command1 = make<QPushButton>(client, "Command1", QStringLiteral("&Add to List >>>"));
}

void frmMakeLinktables::setupList(QWidget* client)
{
    List1 = make<QListWidget>(client, "List1");
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setAccessibleName(QStringLiteral("ID names"));
    cmdDelete = make<QPushButton>(client, "cmdDelete", QStringLiteral("&Delete"));
    cmdClearAll = make<QPushButton>(client, "cmdClearAll", QStringLiteral("&Clear All"));
}

void frmMakeLinktables::setupOutput(QWidget* client)
{
    Frame1 = make<QGroupBox>(client, "Frame1", QStringLiteral("Frame1"));
    optSql = make<QRadioButton>(Frame1, "optSql", QStringLiteral("&T-SQL"));
    optOracle = make<QRadioButton>(Frame1, "optOracle", QStringLiteral("&Oracle PL/SQL"));
    optOracle->setChecked(true);
    auto* dialects = new QVBoxLayout(Frame1);
    dialects->addWidget(optSql);
    dialects->addWidget(optOracle);
    Command2 = make<QPushButton>(client, "Command2", QStringLiteral("&Go"));
    Label3 = make<QLabel>(client, "Label3", QStringLiteral("Table Sql Below"));
    RichTextBox1 = makeScriptBox(QStringLiteral("RichTextBox1"), client);
    RichTextBox1->setPlainText(QStringLiteral("RichTextBox1"));
    Label3->setBuddy(RichTextBox1);
    explain(Frame1, QStringLiteral("The SQL dialect the script is written in"));
    explain(RichTextBox1, QStringLiteral("The script for the link table, its sequence and its trigger, ready to copy"));
}

// Left: the inputs, the dialect and the output; right: the list and its buttons.
void frmMakeLinktables::setupLayout(QWidget* client)
{
    auto* inputs = new QGridLayout;
    inputs->addWidget(Label1, 0, 0);
    inputs->addWidget(txtName, 0, 1);
    inputs->addWidget(Label2, 1, 0);
    inputs->addWidget(Text1, 1, 1);
    inputs->addWidget(Command1, 1, 2);
    inputs->setColumnStretch(1, 1);
    auto* goRow = new QHBoxLayout;
    goRow->addWidget(Frame1);
    goRow->addWidget(Command2, 0, Qt::AlignBottom);
    goRow->addStretch();
    auto* left = new QVBoxLayout;
    left->addLayout(inputs);
    left->addLayout(goRow);
    left->addWidget(Label3);
    left->addWidget(RichTextBox1, 1);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(cmdDelete);
    listButtons->addWidget(cmdClearAll);
    auto* right = new QVBoxLayout;
    right->addWidget(List1, 1);
    right->addLayout(listButtons);
    auto* layout = new QHBoxLayout(client);
    layout->addLayout(left, 3);
    layout->addLayout(right, 1);
}

void frmMakeLinktables::Command1_Click()
{
    List1->addItem(Text1->text());
    focusSelected(Text1);
}

void frmMakeLinktables::cmdDelete_Click()
{
    removeSelectedEntry(List1);
}

void frmMakeLinktables::cmdClearAll_Click()
{
    List1->clear();
    focusSelected(txtName);
}

void frmMakeLinktables::Command2_Click()
{
    if (optOracle->isChecked()) {
        std::vector<std::string> idNames;
        idNames.reserve(static_cast<std::size_t>(List1->count()));
        for (int i = 0; i < List1->count(); ++i)
            idNames.push_back(toCp1252(List1->item(i)->text()));
        setBoxBytes(RichTextBox1, linkTableScript(lineBytes(txtName), idNames));
        showStatus(this, QStringLiteral("Make Link Table: script for %1 with %2")
                             .arg(txtName->text(), counted(idNames.size(), QStringLiteral("ID column"),
                                                           QStringLiteral("ID columns"))));
    } else {
        showMessage(QStringLiteral("sql server not supported yet"));
    }
    // The script is read from its top; nothing is selected, so a stray key cannot replace it.
    RichTextBox1->setFocus();
    RichTextBox1->moveCursor(QTextCursor::Start);
}

}  // namespace qb
