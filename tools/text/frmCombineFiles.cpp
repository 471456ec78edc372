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
#include "shell/kit.h"
#include "shell/pickers.h"
#include "shell/services.h"
#include "tools/text/combineFiles.h"

namespace qb {

namespace {

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
    setWindowTitle(QStringLiteral("Combine Text Files Line-by-Line"));
    resize(px(10800), px(8400));
    setupControls();
    setupLayout();

    connect(List1, &QListWidget::currentItemChanged, this, guarded([this] { List1_Click(); }));
    connect(List2, &QListWidget::currentItemChanged, this, guarded([this] { List2_Click(); }));
    connect(Command1, &QPushButton::clicked, this, guarded([this] { Command1_Click(); }));
}

void frmCombineFiles::setupControls()
{
    Label1 = wrapped(make<QLabel>(this, "Label1",
                                  QStringLiteral("Takes file #1 and file #2 and combines whatever's on line #N in file "
                                                 "#1 with whatever's in line #N in file #2 into the text box below.")));
    const auto makeSet = [this](int n, DrivePicker*& drive, FolderPicker*& folder, QListWidget*& list,
                                QLineEdit*& path) {
        drive = make<DrivePicker>(this, QStringLiteral("Drive%1").arg(n));
        folder = make<FolderPicker>(this, QStringLiteral("Dir%1").arg(n));
        list = make<QListWidget>(this, QStringLiteral("List%1").arg(n));
        path = make<QLineEdit>(this, QStringLiteral("Text%1").arg(n));
        pairDrive(drive, folder);         // Drive1_Change, Drive2_Change
        listFolderFiles(folder, list);    // Dir1_Change, Dir2_Change
    };
    makeSet(1, Drive1, Dir1, List1, Text1);
    makeSet(2, Drive2, Dir2, List2, Text2);
    Label2 = make<QLabel>(this, "Label2", QStringLiteral("Text File #1"));
    Label3 = make<QLabel>(this, "Label3", QStringLiteral("Text File #2"));
    Command1 = make<QPushButton>(this, "Command1", QStringLiteral("GO!!!!!"));
    rich1 = make<QPlainTextEdit>(this, "rich1");
    rich1->setLineWrapMode(QPlainTextEdit::NoWrap);
}

void frmCombineFiles::setupLayout()
{
    const auto line = [this](const char* name, QFrame::Shape shape) {
        auto* made = make<QFrame>(this, name);
        made->setFrameShape(shape);
        made->setFrameShadow(QFrame::Sunken);
        return made;
    };
    auto* pickers = new QHBoxLayout;
    pickers->addLayout(pickerGrid(Drive1, Dir1, List1), 1);
    pickers->addWidget(line("Line1", QFrame::VLine));
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
    layout->addWidget(line("Line2", QFrame::HLine));
    layout->addWidget(Command1, 0, Qt::AlignHCenter);
    layout->addWidget(rich1, 3);
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
