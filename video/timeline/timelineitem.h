#pragma once

#include <QColor>
#include <QQuickItem>
#include <QScopedPointer>
#include <QVariantList>

class TimeLineItemPrivate;

// Draws one channel's records of a day as solid bars: one rectangle per entry of
// `itemList` (maps with "startTime" and "endTime", seconds since midnight), `spacing`
// pixels per second, the full height of the item. The first build of a list keeps
// fractions of a pixel; later repaints of as many entries move the bars in place to
// whole pixels, so a zoom step costs one rectangle update per bar and no allocation.
class TimeLineItem : public QQuickItem
{
    Q_OBJECT
    Q_PROPERTY(double spacing READ spacing WRITE setSpacing NOTIFY spacingChanged)
    Q_PROPERTY(QVariantList itemList READ itemList WRITE setItemList NOTIFY itemListChanged)
    Q_PROPERTY(QColor itemColor READ itemColor WRITE setItemColor NOTIFY itemColorChanged)

public:
    TimeLineItem();
    ~TimeLineItem() override;

    double spacing() const;
    void setSpacing(double value);
    QVariantList itemList() const;
    void setItemList(const QVariantList &list);
    QColor itemColor() const;
    void setItemColor(const QColor &color);

signals:
    void spacingChanged();
    void itemListChanged();
    void itemColorChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *data) override;

private:
    QScopedPointer<TimeLineItemPrivate> d;
};
