#include "tools/text/frmTwoTabbedRowsToCols.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/behaviours.h"
#include "shell/cp1252.h"
#include "shell/guard.h"
#include "shell/kit.h"
#include "shell/printing.h"
#include "shell/services.h"
#include "tools/text/rowToCol.h"

namespace qb {

namespace {

// Where richIn sits; its width and left edge follow the window, so it stays out of the layout,
// which keeps the room above the buttons free for it.
constexpr int labelTop = 6;
constexpr int inputTop = 28;
constexpr int inputHeight = px(1800);

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

    auto* Label1 =
        make<QLabel>(this, "Label1", QStringLiteral("Smack in two rows of text with values sans tabs separated by tabs."));
    Label1->move(px(120), labelTop);
    Label1->adjustSize();
    richIn = makeFixedFontBox("richIn", this);
    richIn->setGeometry(0, inputTop, width() - px(100), inputHeight);

    auto* cmdGo = make<QPushButton>(this, "cmdGo", QStringLiteral("&Go"));
    auto* cmdPrint = make<QPushButton>(this, "cmdPrint", QStringLiteral("&Print"));
    auto* Label2 = make<QLabel>(this, "Label2", QStringLiteral("Produce two columns from those rows, again in text"));
    richOut = makeFixedFontBox("richOut", this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdGo);
    buttons->addWidget(cmdPrint);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(px(120), inputTop + inputHeight + 8, px(120), px(120));
    layout->addLayout(buttons);
    layout->addWidget(Label2);
    layout->addWidget(richOut, 1);

    setTabChain({richIn, richOut, cmdGo, cmdPrint});

    connect(cmdGo, &QPushButton::clicked, this, guarded([this] { cmdGo_Click(); }));
    connect(cmdPrint, &QPushButton::clicked, this, guarded([this] { cmdPrint_Click(); }));
    followInputWidth(this, richIn);  // Form_Resize
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
    setBoxBytes(richOut, rowToCol());
}

void frmTwoTabbedRowsToCols::cmdPrint_Click()
{
    const auto printed = fixedFontPrint(richOut->toPlainText(), windowTitle());
    if (!printed)
        showMessage(QStringLiteral("error printing: ") + messageText(formatError(printed.error())));
    else if (const QString note = withPrintout({}, *printed); !note.isEmpty())
        showMessage(note);
}

}  // namespace qb
