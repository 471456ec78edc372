#include "tools/text/frmCombineFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/behaviours.h"
#include "ui/cp1252.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/pickers.h"
#include "ui/services.h"
#include "ui/settings.h"
#include "ui/windows.h"
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
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    return grid;
}

// The folder's path, the separator and the chosen name; the folder's own trailing separator is
// not looked at (at the root this gives two in a row, which names the same file).
void echoChosenFile(const FolderPicker* folder, const QListWidget* list, QLineEdit* pathBox)
{
    if (const QListWidgetItem* item = list->currentItem())
        pathBox->setText(folder->path() + QDir::separator() + item->text());
}

// The combined lines as the box shows them: each part in its own file's encoding.
QString combinedText(const CombinedLines& combined)
{
    const std::string_view text = combined.text;
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    std::size_t start = 0;
    for (const std::size_t firstLength : combined.firstLengths) {
        const std::size_t end = text.find("\r\n", start + firstLength);
        shown += fileText(text.substr(start, firstLength), combined.firstUtf8);
        shown += fileText(text.substr(start + firstLength, end - start - firstLength), combined.secondUtf8);
        shown += QChar('\n');
        start = end + 2;
    }
    return shown;
}

}  // namespace

// "Combine: 2 lines combined", and what the longer file had beyond them: ", 3 lines of file #2
// (b.txt) left out".
QString frmCombineFiles::combineSummary(const CombinedLines& combined) const
{
    QString summary = QStringLiteral("Combine: ") +
                      counted(combined.firstLengths.size(), QStringLiteral("line"), QStringLiteral("lines")) +
                      QStringLiteral(" combined");
    const bool firstLonger = combined.firstLeftOut > 0;
    if (const std::uint64_t leftOut = firstLonger ? combined.firstLeftOut : combined.secondLeftOut; leftOut > 0) {
        const QLineEdit* path = firstLonger ? Text1 : Text2;
        summary += QStringLiteral(", %1 of file #%2 (%3) left out")
                       .arg(counted(leftOut, QStringLiteral("line"), QStringLiteral("lines")))
                       .arg(firstLonger ? 1 : 2)
                       .arg(QFileInfo(path->text()).fileName());
    }
    return summary;
}

frmCombineFiles::frmCombineFiles(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Combine Text Files Line-by-Line"));
    resize(px(10800), px(8400));
    QWidget* client = scrollingClient(this);
    setupControls(client);
    setupLayout(client);

    connect(List1, &QListWidget::currentItemChanged, this, guarded([this] { List1_Click(); }));
    connect(List2, &QListWidget::currentItemChanged, this, guarded([this] { List2_Click(); }));
    connect(Command1, &QPushButton::clicked, this, guarded([this] { Command1_Click(); }));
}

void frmCombineFiles::setupControls(QWidget* client)
{
    Label1 = wrapped(make<QLabel>(client, "Label1",
                                  QStringLiteral("Takes file #1 and file #2 and combines whatever's on line #N in file "
                                                 "#1 with whatever's in line #N in file #2 into the text box below.")));
    const auto makeSet = [client](int n, DrivePicker*& drive, FolderPicker*& folder, QListWidget*& list,
                                QLineEdit*& path) {
        drive = make<DrivePicker>(client, QStringLiteral("Drive%1").arg(n));
        folder = make<FolderPicker>(client, QStringLiteral("Dir%1").arg(n));
        list = make<QListWidget>(client, QStringLiteral("List%1").arg(n));
        path = make<QLineEdit>(client, QStringLiteral("Text%1").arg(n));
        list->setAccessibleName(QStringLiteral("Files in folder #%1").arg(n));
        list->setMinimumWidth(list->fontMetrics().averageCharWidth() * 20);  // room for a file name
        filePathBox(path);
        pairDrive(drive, folder);         // Drive1_Change, Drive2_Change
        listFolderFiles(folder, list);    // Dir1_Change, Dir2_Change
    };
    makeSet(1, Drive1, Dir1, List1, Text1);
    makeSet(2, Drive2, Dir2, List2, Text2);
    Label2 = make<QLabel>(client, "Label2", QStringLiteral("Text File #1"));
    Label3 = make<QLabel>(client, "Label3", QStringLiteral("Text File #2"));
    Label2->setBuddy(Text1);
    Label3->setBuddy(Text2);
    Command1 = make<QPushButton>(client, "Command1", QStringLiteral("&GO!!!!!"));
    rich1 = make<QPlainTextEdit>(client, "rich1");
    rich1->setLineWrapMode(QPlainTextEdit::NoWrap);
    rich1->setAccessibleName(QStringLiteral("Combined lines"));
}

void frmCombineFiles::setupLayout(QWidget* client)
{
    const auto line = [client](const char* name, QFrame::Shape shape) {
        auto* made = make<QFrame>(client, name);
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

    auto* layout = new QVBoxLayout(client);
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
    const auto combined = combineFileLines(toPath(Text1->text()), toPath(Text2->text()), LeftOutLines::Count);
    if (!combined) {
        showError(combined.error());
        return;
    }
    if (!*combined)
        return;
    setBoxText(rich1, combinedText(**combined));
    showStatus(this, combineSummary(**combined));
}

}  // namespace qb
