#include "timelineitem.h"

#include <QQuickWindow>
#include <QSGNode>
#include <QSGRectangleNode>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

namespace {

struct BarSeconds
{
    int start = 0;
    int end = 0;
};

// An entry that is not a map, or lacks a key, counts as 0 there.
BarSeconds secondsOf(const QVariant &entry)
{
    const QVariantMap map = entry.toMap();
    return {map.value(QStringLiteral("startTime")).toInt(), map.value(QStringLiteral("endTime")).toInt()};
}

// A record of some length keeps at least a pixel: squeezed into a strip with the whole
// day, a record of a minute or less would otherwise cover no pixel and show nothing.
double visibleWidth(const BarSeconds &seconds, double width)
{
    return seconds.end > seconds.start ? std::max(width, 1.0) : width;
}

void removeBars(QSGNode *root)
{
    while (QSGNode *bar = root->firstChild()) {
        root->removeChildNode(bar);
        delete bar;
    }
}

} // namespace

class TimeLineItemPrivate
{
public:
    void buildBars(QQuickWindow *window, QSGNode *root, qreal height) const;
    void moveBars(QSGNode *root, qreal height) const;

    double spacing = 0.0;
    QVariantList itemList;
    QColor itemColor = Qt::transparent;
};

// Fractions of a pixel stay: x = start * spacing, w = end * spacing - x (at least 1).
void TimeLineItemPrivate::buildBars(QQuickWindow *window, QSGNode *root, qreal height) const
{
    for (const QVariant &entry : itemList) {
        const BarSeconds seconds = secondsOf(entry);
        const double x = seconds.start * spacing;
        const double width = visibleWidth(seconds, seconds.end * spacing - x);
        QSGRectangleNode *bar = window->createRectangleNode();
        bar->setFlag(QSGNode::OwnedByParent);
        bar->setRect(QRectF(x, 0, width, height));
        bar->setColor(itemColor);
        root->appendChildNode(bar);
    }
}

// Bar k belongs to entry k; both edges land on whole pixels (truncated toward zero).
// Truncating in floating point gives the same values as an int conversion without its
// overflow for absurd entries.
void TimeLineItemPrivate::moveBars(QSGNode *root, qreal height) const
{
    int k = 0;
    for (QSGNode *node = root->firstChild(); node; node = node->nextSibling(), ++k) {
        const BarSeconds seconds = secondsOf(itemList.at(k));
        const double x = std::trunc(seconds.start * spacing);
        const double width = visibleWidth(seconds, std::trunc(seconds.end * spacing - x));
        auto *bar = static_cast<QSGRectangleNode *>(node);
        bar->setRect(QRectF(x, 0, width, height));
        bar->setColor(itemColor);
    }
}

TimeLineItem::TimeLineItem()
    : d(new TimeLineItemPrivate)
{
    setFlag(ItemHasContents);
}

TimeLineItem::~TimeLineItem() = default;

double TimeLineItem::spacing() const
{
    return d->spacing;
}

void TimeLineItem::setSpacing(double value)
{
    if (value == d->spacing)
        return;
    d->spacing = value;
    emit spacingChanged();
    update();
}

QVariantList TimeLineItem::itemList() const
{
    return d->itemList;
}

// QList's equality takes the shared-data shortcut, then compares element by element.
void TimeLineItem::setItemList(const QVariantList &list)
{
    if (list == d->itemList)
        return;
    d->itemList = list;
    emit itemListChanged();
    update();
}

QColor TimeLineItem::itemColor() const
{
    return d->itemColor;
}

void TimeLineItem::setItemColor(const QColor &color)
{
    if (color == d->itemColor)
        return;
    d->itemColor = color;
    emit itemColorChanged();
    update();
}

// Runs on the scene-graph thread while the GUI thread waits, so the fields are read as
// they stand. A list of another length than the bars built (the list was replaced on a
// live item) is built afresh in the same root.
QSGNode *TimeLineItem::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    const qreal h = height();
    const int n = int(d->itemList.size());
    if (oldNode && oldNode->childCount() == n) {
        d->moveBars(oldNode, h);
        return oldNode;
    }
    QSGNode *root = oldNode ? oldNode : new QSGNode;
    removeBars(root);
    d->buildBars(window(), root, h);
    return root;
}
