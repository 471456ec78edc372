#include "shell/frmWhichGizmet.h"

#include <QEvent>
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

// Each caption has an access key of its own.
constexpr ChooserEntry entries[] = {
    {"&InsertLine", nullptr},
    {"Insert &Property", nullptr},
    {"&Erase and Spew Chunks", "frmEraseChunks"},
    {"&Carpal Tunnel Repeats", "frmCarpalTunnel"},
    {"Hex 2 &Dec 2 Hex 2...", "frmHex2Dec"},
    {"&Add Extension to extensionless files", "frmAddExtension"},
    {"&Update a file over multiple directories", "frmUpdateFiles"},
    {"Find &TODOs", "frmFindTodos"},
    {"Co&mbine Lines from two files", "frmCombineFiles"},
    {"Find Subs and &Functs", "frmFindSubNFuncts"},
    {"Make &Link Table", "frmMakeLinktables"},
    {"Two lines of cols to two &rows", "frmTwoTabbedRowsToCols"},
    {"Create &Sequence and Trigger code in files", "frmOracleSeqTrigs"},
};

constexpr short entryCount = static_cast<short>(std::size(entries));

}  // namespace

QString chooserName(const QString& className)
{
    for (const ChooserEntry& entry : entries)
        if (entry.window && className == QLatin1String(entry.window))
            return withoutAccessKey(QString::fromUtf8(entry.caption));
    return {};
}

frmWhichGizmet::frmWhichGizmet(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Gizmet Selection"));
    resize(px(12105), px(10845));
    client_ = scrollingClient(this);
    for (short i = 0; i < entryCount; ++i) {
        auto* button = make<QPushButton>(client_, QStringLiteral("cmdOpenForm_%1").arg(i), QString::fromUtf8(entries[i].caption));
        connect(button, &QPushButton::clicked, this, guarded([this, i] { cmdOpenForm_Click(i); }));
        if (!buttons_.isEmpty())
            setTabOrder(buttons_.back(), button);
        buttons_.push_back(button);
    }
    placeButtons();
    // A button whose caption needs another size (another font or style) asks its client to lay
    // it out again.
    client_->installEventFilter(this);
}

bool frmWhichGizmet::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == client_ && event->type() == QEvent::LayoutRequest)
        placeButtons();
    return QWidget::eventFilter(watched, event);
}

// Buttons are 1935 x 495 twips in two columns, indices 0-10 at 600 twips from the left and 11-12
// at 2700; where the font needs more room for a caption, every button grows alike and the second
// column moves right to keep the gap.
void frmWhichGizmet::placeButtons()
{
    QSize size(scaledPx(1935), scaledPx(495));
    for (const QPushButton* button : buttons_)
        size = size.expandedTo(button->sizeHint());
    const int secondColumn = std::max(scaledPx(2700), scaledPx(600) + size.width() + scaledPx(2700 - 600 - 1935));
    QRect bound;
    for (qsizetype i = 0; i < buttons_.size(); ++i) {
        const bool firstColumn = i <= 10;
        const int top = firstColumn ? 480 + 600 * i : 480 + 600 * (i - 11);
        const QRect place(QPoint(firstColumn ? scaledPx(600) : secondColumn, scaledPx(top)), size);
        buttons_[i]->setGeometry(place);
        bound |= place;
    }
    client_->setMinimumSize(bound.right() + scaledPx(600), bound.bottom() + scaledPx(480));
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
