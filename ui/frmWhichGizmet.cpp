#include "ui/frmWhichGizmet.h"

#include <QEvent>
#include <QPushButton>

#include <algorithm>

#include "ui/behaviours.h"
#include "ui/guard.h"
#include "ui/kit.h"
#include "ui/services.h"
#include "ui/windows.h"

namespace qb {

void registerChooser()
{
    registerWindow<frmWhichGizmet>();
    registerTool({{}, QStringLiteral("&InsertLine"), 0, std::nullopt, {}});
    registerTool({{}, QStringLiteral("Insert &Property"), 1, std::nullopt, {}});
}

frmWhichGizmet::frmWhichGizmet(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Gizmet Selection"));
    resize(px(12105), px(10845));
    client_ = scrollingClient(this);
    // Each caption has an access key of its own.
    for (const ToolRegistration& tool : registeredTools()) {
        if (tool.chooserPlace < 0)
            continue;
        const auto i = static_cast<short>(tool.chooserPlace);
        auto* button = make<QPushButton>(client_, QStringLiteral("cmdOpenForm_%1").arg(i), tool.chooserCaption);
        connect(button, &QPushButton::clicked, this, guarded([this, i] { cmdOpenForm_Click(i); }));
        places_.push_back(i);
        windows_.push_back(tool.windowClass);
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
    const qsizetype at = places_.indexOf(Index);
    if (at < 0) {
        showMessage(QStringLiteral("That ain't no option"));
        return;
    }
    const QString& window = windows_[at];
    if (window.isEmpty()) {
        showMessage(QStringLiteral("not found"));
        return;
    }
    openWindow(window);
}

}  // namespace qb
