#include "shell/kit.h"

#include <QAbstractButton>

#include <algorithm>

#include "shell/behaviours.h"

namespace qb {

namespace {

// A caption that keeps to one line: a button, or a label that does not wrap.
bool isOneLineCaption(const QWidget* widget)
{
    if (qobject_cast<const QAbstractButton*>(widget))
        return true;
    const auto* label = qobject_cast<const QLabel*>(widget);
    return label && !label->wordWrap();
}

}  // namespace

QLabel* wrapped(QLabel* label)
{
    label->setWordWrap(true);
    return label;
}

void placeTwips(QWidget* widget, QRect twips)
{
    QRect pixels(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height()));
    if (isOneLineCaption(widget))
        pixels.setSize(pixels.size().expandedTo(widget->sizeHint()));
    widget->setGeometry(pixels);
}

}  // namespace qb
