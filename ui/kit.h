// The widget kit: a tool window makes and names each control in one call, places a control whose
// position is given in twips in one more, and builds its controls on a client area that scrolls
// whenever the window is smaller than the controls need.
//
//     QWidget* client = scrollingClient(this);
//     designInTwips(client, {10605, 9630});
//     auto* cmdGo = make<QPushButton>(client, "cmdGo", QStringLiteral("GO!!!"));
//     placeTwips(cmdGo, {4080, 8640, 1215, 495}, Follow::down());
#pragma once

#include <QAnyStringView>
#include <QLabel>
#include <QRect>
#include <QWidget>

#include <type_traits>
#include <utility>

namespace qb {

// A new W made from `args` and its parent, named `name`. Labels show their text as plain text.
template <class W, class... Args>
W* make(QWidget* parent, QAnyStringView name, Args&&... args)
{
    auto* widget = new W(std::forward<Args>(args)..., parent);
    widget->setObjectName(name);
    if constexpr (std::is_base_of_v<QLabel, W>)
        widget->setTextFormat(Qt::PlainText);
    return widget;
}

// A label whose text wraps onto further lines.
QLabel* wrapped(QLabel* label);

// The area a tool window's controls live on: it fills the window (below a menu bar the window's
// layout already holds) inside a scroll area, and scrolls when the window is smaller than it.
QWidget* scrollingClient(QWidget* window);

// How much larger than its twips a window is laid out: 1 with the usual desktop fonts, more when
// the user's font is larger, so text still fits its control.
double designScale();
// Twips to pixels at the design scale.
int scaledPx(int twips);

// What a control placed in twips does with the room its client has beyond the design size: of
// the extra width it moves right by moveX and widens by growX; of the extra height likewise.
// Captions keep their place and grow to fit their text.
struct Follow {
    float moveX = 0, growX = 0, moveY = 0, growY = 0;
    // Placed once and then left to a sizing rule of its own; it still counts for scrolling.
    bool ownRule = false;

    static Follow down() { return {0, 0, 1, 0}; }
    static Follow byOwnRule() { return {0, 0, 0, 0, true}; }
};

// Lays `client` out in twips: its controls stand where placeTwips() puts them when it has its
// design size (`twips`, scaled by designScale()), follow their Follow rule beyond it, and make it
// scroll below it.
void designInTwips(QWidget* client, QSize twips);
// Places `widget` at `twips` (left, top, width, height) on its parent: through the parent's twips
// layout when it has one, otherwise once. A caption (a label or a button) never comes out smaller
// than its text needs.
void placeTwips(QWidget* widget, QRect twips, Follow follow = {});

// A control whose caption is only a placeholder: says what it does, as its tooltip and its
// accessible description.
void explain(QWidget* control, const QString& what);
// A window whose caption is only a placeholder: the same, shown over its title bar.
void explainWindow(QWidget* window, const QString& what);
QString windowExplanation(const QWidget* window);

// A caption as it reads: its access-key marks dropped, "&&" read as one "&".
QString withoutAccessKey(QString caption);

// Gives every control of `window` an accessible name: a caption names its own control, a label
// names its buddy. Names set before are kept unless a label names the control.
void nameControls(QWidget* window);

}  // namespace qb
