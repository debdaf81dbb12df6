#pragma once

#include <QRect>
#include <QVector>

class QFont;
class VQuotDataItems;
class VQuotStyle;

// The geometry of the quote panel, from top to bottom:
//   title line (code and name on the left, market name on the right,
//   drawn into the one titleRect())
//   ask levels, highest level first (卖五 … 卖一)
//   bid levels, level 1 first (买一 … 买五)
//   items in two columns, each column packing its visible items upwards
//   intraday chart
// with a separator line between the sections. Labels are as wide as the
// widest caption, values digitMaxLen digits of the font; a wider panel
// gives the extra width to the value columns. Built by VQuotPanel only.
class VQuotLayout
{
public:
    void build(const VQuotStyle &style, const VQuotDataItems &items, const QFont &font, const QFont &titleFont,
               int width);

    // The smallest size that shows everything, whatever width build() got.
    QSize minimumSize() const { return m_minimumSize; }
    int width() const { return m_width; }

    // The title line; null when neither title nor market is shown.
    QRect titleRect() const { return m_title; }
    // Null for a level that is not shown. Index: stall (0 is level 1).
    QRect askRect(int stall) const { return m_asks.value(stall); }
    QRect bidRect(int stall) const { return m_bids.value(stall); }
    // Null for a hidden item. Index: VQuotDataItems::Id.
    QRect itemRect(int id) const { return m_items.value(id); }
    QRect chartRect() const { return m_chart; }
    // The y of each separator line, across contentRect().
    const QVector<int> &separators() const { return m_separators; }
    QRect contentRect() const { return m_content; }

    // Split a level row into caption, price and volume.
    QRect levelLabelRect(const QRect &row) const;
    QRect levelPriceRect(const QRect &row) const;
    QRect levelVolumeRect(const QRect &row) const;
    // Split an item cell into caption and value.
    QRect itemLabelRect(const QRect &cell) const;
    QRect itemValueRect(const QRect &cell) const;

    // "卖一" … "卖十", "买一" … "买十".
    static QString levelCaption(bool ask, int stall);

    // Bounding rectangles of whole sections, for partial repaints.
    QRect levelsRect() const;
    QRect itemsRect() const;

private:
    QSize m_minimumSize;
    int m_width = 0;
    int m_labelWidth = 0;
    int m_labelSpace = 0;
    int m_horzSpace = 0;
    int m_priceRight = 0; // right edge of level prices, relative to a row's left
    QRect m_title;
    QVector<QRect> m_asks;
    QVector<QRect> m_bids;
    QVector<QRect> m_items;
    QRect m_chart;
    QVector<int> m_separators;
    QRect m_content;
};
