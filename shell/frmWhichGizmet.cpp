#include "shell/frmWhichGizmet.h"

#include <QPushButton>

#include <algorithm>

#include "shell/behaviours.h"
#include "shell/guard.h"
#include "shell/kit.h"
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
    setWindowTitle(QStringLiteral("Gizmet Selection"));
    resize(px(12105), px(10845));
    // Buttons are 1935 x 495 twips in two columns, indices 0-10 at 600 twips from the left and
    // 11-12 at 2700; where this platform's font needs more room for a caption, every button
    // widens alike and the second column moves right to keep the gap.
    QList<QPushButton*> buttons;
    int width = px(1935);
    for (short i = 0; i < entryCount; ++i) {
        auto* button = make<QPushButton>(this, QStringLiteral("cmdOpenForm_%1").arg(i), QString::fromUtf8(entries[i].caption));
        width = std::max(width, button->sizeHint().width());
        connect(button, &QPushButton::clicked, this, guarded([this, i] { cmdOpenForm_Click(i); }));
        if (!buttons.isEmpty())
            setTabOrder(buttons.back(), button);
        buttons.push_back(button);
    }
    const int secondColumn = std::max(px(2700), px(600) + width + px(2700 - 600 - 1935));
    for (short i = 0; i < entryCount; ++i) {
        const bool firstColumn = i <= 10;
        const int top = firstColumn ? 480 + 600 * i : 480 + 600 * (i - 11);
        buttons[i]->setGeometry(firstColumn ? px(600) : secondColumn, px(top), width, px(495));
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
