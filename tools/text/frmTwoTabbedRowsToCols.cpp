#include "tools/text/frmTwoTabbedRowsToCols.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "core/mdlText.h"
#include "ui/printing.h"
#include "ui/services.h"
#include "ui/windows.h"
#include "tools/text/rowToCol.h"

namespace qb {

namespace {

// The input box's height; its width and left edge follow the window.
constexpr int inputHeight = 1800;
// Everything else stands this far in from the left.
constexpr int indent = 120;

QPlainTextEdit* makeFixedFontBox(const char* name, QWidget* parent)
{
    auto* box = make<QPlainTextEdit>(parent, name);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    box->setFont(font);
    return box;
}

}  // namespace

frmTwoTabbedRowsToCols::frmTwoTabbedRowsToCols(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Two tabbed rows to cols"));
    resize(px(10800), px(8400));
    QWidget* client = scrollingClient(this);
    setupControls(client);
    setupLayout(client);
    setTabChain({richIn, richOut, cmdGo, cmdPrint});

    connect(cmdGo, &QPushButton::clicked, this, guarded([this] { cmdGo_Click(); }));
    connect(cmdPrint, &QPushButton::clicked, this, guarded([this] { cmdPrint_Click(); }));
    followInputWidth(this, richIn);  // Form_Resize
}

void frmTwoTabbedRowsToCols::setupControls(QWidget* client)
{
    Label1 =
        make<QLabel>(client, "Label1", QStringLiteral("Smack in two rows of text with values sans tabs separated by tabs."));
    richIn = makeFixedFontBox("richIn", client);
    richIn->setFixedHeight(scaledPx(inputHeight));
    Label1->setBuddy(richIn);
    cmdGo = make<QPushButton>(client, "cmdGo", QStringLiteral("&Go"));
    cmdPrint = make<QPushButton>(client, "cmdPrint", QStringLiteral("&Print"));
    Label2 = make<QLabel>(client, "Label2", QStringLiteral("Produce two columns from those rows, again in text"));
    richOut = makeFixedFontBox("richOut", client);
    Label2->setBuddy(richOut);
}

// richIn starts at the left edge; the rest stands in from it.
void frmTwoTabbedRowsToCols::setupLayout(QWidget* client)
{
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, px(indent) / 2, 0, px(indent));
    const auto indented = [layout](QLayoutItem* item) {
        auto* row = new QHBoxLayout;
        row->addSpacing(px(indent));
        row->addItem(item);
        row->addSpacing(px(indent));
        layout->addLayout(row, item->expandingDirections() & Qt::Vertical ? 1 : 0);
    };
    indented(new QWidgetItem(Label1));
    layout->addWidget(richIn, 0, Qt::AlignLeft);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdGo);
    buttons->addWidget(cmdPrint);
    buttons->addStretch();
    indented(buttons);
    indented(new QWidgetItem(Label2));
    indented(new QWidgetItem(richOut));
}

std::string frmTwoTabbedRowsToCols::rowToCol()
{
    auto converted = qb::rowToCol(boxBytes(richIn));
    if (!converted) {
        showMessage(fromCp1252(rowToColMessage(converted.error())));
        return {};
    }
    return std::move(*converted);
}

void frmTwoTabbedRowsToCols::cmdGo_Click()
{
    const std::string columns = rowToCol();
    setBoxBytes(richOut, columns);
    if (!columns.empty())
        showStatus(this, QStringLiteral("Two lines of cols to two rows: %1 written")
                             .arg(counted(splitLines(columns).size(), QStringLiteral("line"), QStringLiteral("lines"))));
}

void frmTwoTabbedRowsToCols::cmdPrint_Click()
{
    const auto printed = fixedFontPrint(richOut->toPlainText(), windowTitle());
    if (!printed)
        showError(printed.error(), QStringLiteral("error printing: "));
    else if (const QString note = withPrintout({}, *printed); !note.isEmpty())
        showMessage(note);
}

}  // namespace qb
