#include "ui/kit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QFontInfo>
#include <QGroupBox>
#include <QLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

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

QRect scaledRect(QRect twips)
{
    return QRect(scaledPx(twips.x()), scaledPx(twips.y()), scaledPx(twips.width()), scaledPx(twips.height()));
}

// `place`, grown where the widget needs more: a caption to its text, a wrapped label to the lines
// its text takes at that width, anything to its own least size. A check box or option button
// stands in the middle of a taller place, as its caption would be drawn there.
QRect fitted(const QWidget* widget, QRect place)
{
    if (isOneLineCaption(widget))
        place.setSize(place.size().expandedTo(widget->sizeHint()));
    if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget)) {
        const int height = widget->sizeHint().height();
        place.adjust(0, (place.height() - height) / 2, 0, 0);
        place.setHeight(height);
    }
    else if (widget->hasHeightForWidth())
        place.setHeight(std::max(place.height(), widget->heightForWidth(place.width())));
    place.setSize(place.size().expandedTo(widget->minimumSize()));
    return place;
}

// Places its controls at their twips and moves or widens them by their Follow shares of the room
// beyond the design size. Its least size holds every control, so a scroll area around the client
// reaches all of them.
class TwipsLayout : public QLayout {
public:
    TwipsLayout(QWidget* client, QSize designTwips) : QLayout(client), design_(designTwips)
    {
        setContentsMargins(0, 0, 0, 0);
    }
    ~TwipsLayout() override
    {
        for (const Entry& entry : entries_)
            delete entry.item;
    }

    void place(QWidget* widget, QRect twips, Follow follow)
    {
        addChildWidget(widget);
        entries_.push_back({new QWidgetItem(widget), twips, follow});
        if (follow.ownRule)
            widget->setGeometry(fitted(widget, scaledRect(twips)));
        invalidate();
    }

    void addItem(QLayoutItem* item) override { entries_.push_back({item, {}, {}}); }
    int count() const override { return static_cast<int>(entries_.size()); }
    QLayoutItem* itemAt(int index) const override
    {
        return index >= 0 && index < count() ? entries_[static_cast<std::size_t>(index)].item : nullptr;
    }
    QLayoutItem* takeAt(int index) override
    {
        if (index < 0 || index >= count())
            return nullptr;
        QLayoutItem* item = entries_[static_cast<std::size_t>(index)].item;
        entries_.erase(entries_.begin() + index);
        return item;
    }
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal | Qt::Vertical; }
    QSize sizeHint() const override { return minimumSize(); }

    QSize minimumSize() const override
    {
        QRect bound(QPoint(0, 0), scaledRect(QRect(QPoint(0, 0), design_)).size());
        for (const Entry& entry : entries_) {
            QWidget* widget = entry.item->widget();
            if (!widget)
                continue;
            bound |= entry.follow.ownRule ? widget->geometry() : fitted(widget, scaledRect(entry.twips));
        }
        return QSize(bound.right() + 1, bound.bottom() + 1);
    }

    void setGeometry(const QRect& rect) override
    {
        QLayout::setGeometry(rect);
        const QSize design = scaledRect(QRect(QPoint(0, 0), design_)).size();
        const int extraWidth = std::max(0, rect.width() - design.width());
        const int extraHeight = std::max(0, rect.height() - design.height());
        for (const Entry& entry : entries_) {
            QWidget* widget = entry.item->widget();
            if (!widget || entry.follow.ownRule)
                continue;
            const Follow& f = entry.follow;
            QRect place = scaledRect(entry.twips);
            place.translate(qRound(f.moveX * extraWidth), qRound(f.moveY * extraHeight));
            place.setSize(place.size() + QSize(qRound(f.growX * extraWidth), qRound(f.growY * extraHeight)));
            widget->setGeometry(fitted(widget, place).translated(rect.topLeft()));
        }
    }

private:
    struct Entry {
        QLayoutItem* item;
        QRect twips;
        Follow follow;
    };
    QSize design_;
    std::vector<Entry> entries_;
};

}  // namespace

QString withoutAccessKey(QString caption)
{
    for (qsizetype at = caption.indexOf(QLatin1Char('&')); at >= 0 && at < caption.size();
         at = caption.indexOf(QLatin1Char('&'), at + 1))
        caption.remove(at, 1);  // "&&" leaves one "&", which the next search steps over
    return caption;
}

QLabel* wrapped(QLabel* label)
{
    label->setWordWrap(true);
    return label;
}

QWidget* scrollingClient(QWidget* window)
{
    auto* layout = qobject_cast<QBoxLayout*>(window->layout());
    if (!layout) {
        layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    auto* scroll = make<QScrollArea>(window, "scroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto* client = make<QWidget>(scroll, "client");
    scroll->setWidget(client);
    layout->addWidget(scroll);
    return client;
}

double designScale()
{
    // Laid out for the usual desktop fonts of 10 points or less; a larger font enlarges the design.
    constexpr double usualPoints = 10.0;
    return std::max(1.0, QFontInfo(QApplication::font()).pointSizeF() / usualPoints);
}

int scaledPx(int twips)
{
    return qRound(twips * designScale() / 15.0);
}

void designInTwips(QWidget* client, QSize twips)
{
    new TwipsLayout(client, twips);
}

void placeTwips(QWidget* widget, QRect twips, Follow follow)
{
    auto* layout = dynamic_cast<TwipsLayout*>(widget->parentWidget()->layout());
    Q_ASSERT_X(layout, "placeTwips", "the parent is not laid out in twips");
    layout->place(widget, twips, follow);
}

void explain(QWidget* control, const QString& what)
{
    control->setToolTip(what);
    control->setAccessibleDescription(what);
}

void explainWindow(QWidget* window, const QString& what)
{
    window->setAccessibleDescription(what);
    window->setProperty("explanation", what);
}

QString windowExplanation(const QWidget* window)
{
    return window->property("explanation").toString();
}

void nameControls(QWidget* window)
{
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (!control->accessibleName().isEmpty())
            continue;
        QString caption;
        if (const auto* button = qobject_cast<const QAbstractButton*>(control))
            caption = button->text();
        else if (const auto* group = qobject_cast<const QGroupBox*>(control))
            caption = group->title();
        else if (const auto* label = qobject_cast<const QLabel*>(control))
            caption = label->text();
        if (!caption.isEmpty())
            control->setAccessibleName(withoutAccessKey(caption));
    }
    for (QWidget* control : controls)
        if (const auto* label = qobject_cast<const QLabel*>(control); label && label->buddy())
            label->buddy()->setAccessibleName(withoutAccessKey(label->text()));
}

}  // namespace qb
