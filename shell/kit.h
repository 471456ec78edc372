// The widget kit: a tool window makes and names each control in one call, and places a control
// whose position is given in twips in one more.
//
//     auto* cmdGo = make<QPushButton>(client, "cmdGo", QStringLiteral("GO!!!"));
//     placeTwips(cmdGo, {4080, 8640, 1215, 495});
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

// Places `widget` at `twips` (left, top, width, height) on its parent. A caption (a label or a
// button) never comes out smaller than its text needs.
void placeTwips(QWidget* widget, QRect twips);

}  // namespace qb
