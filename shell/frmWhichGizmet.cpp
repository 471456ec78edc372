#include "shell/frmWhichGizmet.h"

#include <QPushButton>

#include "shell/behaviours.h"
#include "shell/guard.h"
#include "shell/services.h"
#include "shell/windows.h"

namespace qb {

namespace {

struct ChooserEntry {
    const char* caption;
    const char* window;  // nullptr: a tool that is not in the program
};

constexpr ChooserEntry entries[] = {
    {"InsertLine", nullptr},
    {"Insert Property", nullptr},
    {"Erase and Spew Chunks", "frmEraseChunks"},
    {"&Carpal Tunnel Repeats", "frmCarpalTunnel"},
    {"Hex 2 Dec 2 Hex 2...", "frmHex2Dec"},
    {"Add Extension to extensionless files", "frmAddExtension"},
    {"Update a file over multiple directories", "frmUpdateFiles"},
    {"Find TODOs", "frmFindTodos"},
    {"Combine Lines from two files", "frmCombineFiles"},
    {"Find Subs and &Functs", "frmFindSubNFuncts"},
    {"Make &Link Table", "frmMakeLinktables"},
    {"Two lines of cols to two rows", "frmTwoTabbedRowsToCols"},
    {"Create Sequence and Trigger code in files", "frmOracleSeqTrigs"},
};

constexpr short entryCount = static_cast<short>(std::size(entries));

}  // namespace

frmWhichGizmet::frmWhichGizmet(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmWhichGizmet"));
    setWindowTitle(QStringLiteral("Gizmet Selection"));
    resize(px(12105), px(10845));
    QWidget* previous = nullptr;
    for (short i = 0; i < entryCount; ++i) {
        auto* button = new QPushButton(QString::fromUtf8(entries[i].caption), this);
        button->setObjectName(QStringLiteral("cmdOpenForm_%1").arg(i));
        const bool firstColumn = i <= 10;
        const int left = firstColumn ? 600 : 2700;
        const int top = firstColumn ? 480 + 600 * i : 480 + 600 * (i - 11);
        button->setGeometry(px(left), px(top), px(1935), px(495));
        connect(button, &QPushButton::clicked, this, guarded([this, i] { cmdOpenForm_Click(i); }));
        if (previous)
            setTabOrder(previous, button);
        previous = button;
    }
}

void frmWhichGizmet::cmdOpenForm_Click(short Index)
{
    if (Index < 0 || Index >= entryCount) {
        showMessage(QStringLiteral("That ain't no option"));
        return;
    }
    if (!entries[Index].window) {
        showMessage(QStringLiteral("not found"));
        return;
    }
    openWindow(QString::fromLatin1(entries[Index].window));
}

}  // namespace qb
