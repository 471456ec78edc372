#include "tools/text/frmCombineFiles.h"

#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/behaviours.h"
#include "shell/cp1252.h"
#include "shell/guard.h"
#include "shell/pickers.h"
#include "shell/services.h"
#include "tools/text/combineFiles.h"

namespace qb {

namespace {

QLabel* makeLabel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QFrame* makeLine(const char* name, QFrame::Shape shape, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// One file's pickers: the drive above the folder, the file list to their right.
QGridLayout* pickerGrid(QWidget* drive, QWidget* folder, QWidget* list)
{
    auto* grid = new QGridLayout;
    grid->addWidget(drive, 0, 0);
    grid->addWidget(folder, 1, 0);
    grid->addWidget(list, 0, 1, 2, 1);
    grid->setRowStretch(1, 1);
    return grid;
}

// The folder's path, the separator and the chosen name; the folder's own trailing separator is
// not looked at (at the root this gives two in a row, which names the same file).
void echoChosenFile(const FolderPicker* folder, const QListWidget* list, QLineEdit* pathBox)
{
    if (const QListWidgetItem* item = list->currentItem())
        pathBox->setText(folder->path() + QDir::separator() + item->text());
}

}  // namespace

frmCombineFiles::frmCombineFiles(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmCombineFiles"));
    setWindowTitle(QStringLiteral("Combine Text Files Line-by-Line"));
    resize(px(10800), px(8400));

    auto* Label1 = makeLabel("Label1",
                             QStringLiteral("Takes file #1 and file #2 and combines whatever's on line #N in file #1 "
                                            "with whatever's in line #N in file #2 into the text box below."),
                             this);
    Label1->setWordWrap(true);

    const auto makeSet = [this](int n, DrivePicker*& drive, FolderPicker*& folder, QListWidget*& list,
                                QLineEdit*& path) {
        drive = new DrivePicker(this);
        drive->setObjectName(QStringLiteral("Drive%1").arg(n));
        folder = new FolderPicker(this);
        folder->setObjectName(QStringLiteral("Dir%1").arg(n));
        list = new QListWidget(this);
        list->setObjectName(QStringLiteral("List%1").arg(n));
        path = new QLineEdit(this);
        path->setObjectName(QStringLiteral("Text%1").arg(n));
        pairDrive(drive, folder);         // Drive1_Change, Drive2_Change
        listFolderFiles(folder, list);    // Dir1_Change, Dir2_Change
    };
    makeSet(1, Drive1, Dir1, List1, Text1);
    makeSet(2, Drive2, Dir2, List2, Text2);

    auto* Label2 = makeLabel("Label2", QStringLiteral("Text File #1"), this);
    auto* Label3 = makeLabel("Label3", QStringLiteral("Text File #2"), this);
    auto* Command1 = new QPushButton(QStringLiteral("GO!!!!!"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    rich1 = new QPlainTextEdit(this);
    rich1->setObjectName(QStringLiteral("rich1"));
    rich1->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* pickers = new QHBoxLayout;
    pickers->addLayout(pickerGrid(Drive1, Dir1, List1), 1);
    pickers->addWidget(makeLine("Line1", QFrame::VLine, this));
    pickers->addLayout(pickerGrid(Drive2, Dir2, List2), 1);

    auto* paths = new QGridLayout;
    paths->addWidget(Label2, 0, 0);
    paths->addWidget(Text1, 1, 0);
    paths->addWidget(Label3, 0, 1);
    paths->addWidget(Text2, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(pickers, 2);
    layout->addLayout(paths);
    layout->addWidget(makeLine("Line2", QFrame::HLine, this));
    layout->addWidget(Command1, 0, Qt::AlignHCenter);
    layout->addWidget(rich1, 3);

    connect(List1, &QListWidget::currentItemChanged, this, guarded([this] { List1_Click(); }));
    connect(List2, &QListWidget::currentItemChanged, this, guarded([this] { List2_Click(); }));
    connect(Command1, &QPushButton::clicked, this, guarded([this] { Command1_Click(); }));
}

void frmCombineFiles::List1_Click()
{
    echoChosenFile(Dir1, List1, Text1);
}

void frmCombineFiles::List2_Click()
{
    echoChosenFile(Dir2, List2, Text2);
}

void frmCombineFiles::Command1_Click()
{
    const auto combined = combineFiles(toPath(Text1->text()), toPath(Text2->text()));
    if (!combined) {
        showMessage(messageText(formatError(combined.error())));
        return;
    }
    if (*combined)
        setBoxBytes(rich1, **combined);
}

}  // namespace qb
