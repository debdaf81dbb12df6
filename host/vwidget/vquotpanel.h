#pragma once

#include "vdefs.h"
#include "vwidget_global.h"

#include <QVector>
#include <QWidget>

#include <memory>

class VQuotDataItem;
class VQuotDataItems;
class VQuotLayout;
class VQuotStyle;

// One order-book level as the panel shows it. A price equal to the style's
// empty marker shows as "--".
struct VQuotLevel
{
    double askPrice;
    qint64 askVolume;
    double bidPrice;
    qint64 bidVolume;
};

// The quote of one security, painted: a title line with code, name and
// market name, the ask levels (卖N … 卖一) above the bid levels (买一 … 买N),
// the thirteen items (VQuotDataItems) as label/value pairs in two columns
// and, when the style says so, a small intraday line of the last prices
// received. How it looks and what it shows is its VQuotStyle; the panel owns
// its style and item set (Qt children).
//
// Values are written and coloured as VQuotStyle describes (the empty marker
// emptyData() shows as "--", prices red above and green below the previous
// close, volumes neutral). Changes repaint only the parts they touch
// (vd::QuotPaintEventType; QPE_All re-measures first). Between
// beginUpdate() and endUpdate() they are collected, so one received record
// costs one repaint, which Qt collects with the other repaints of the same
// pass of the event loop.
//
// The geometry below is the one the panel paints and hit-tests with; a null
// rectangle means "not shown".
class VWIDGET_EXPORT VQuotPanel : public QWidget
{
    Q_OBJECT
public:
    enum Side { Ask, Bid };
    // How many last prices the intraday line keeps.
    static constexpr int ChartCapacity = 240;

    explicit VQuotPanel(QWidget *parent = nullptr);
    ~VQuotPanel() override;

    VQuotStyle *quotStyle() const { return m_style; }
    VQuotDataItems *quotItems() const { return m_items; }

    void setProduct(const QString &code, const QString &name);
    QString productCode() const { return m_productCode; }
    QString productName() const { return m_productName; }
    void setMarket(const QString &code, const QString &name);
    QString marketCode() const { return m_marketCode; }
    QString marketName() const { return m_marketName; }

    // A stall outside QS_Stall1..QS_Stall10 is logged and ignored.
    void setQuotData(vd::QuotStall stall, double askPrice, qint64 askVolume, double bidPrice, qint64 bidVolume);
    VQuotLevel quotData(vd::QuotStall stall) const;
    // The prices of the intraday line, oldest first: every non-empty last
    // price set on the items, one per update batch.
    QVector<double> chartPrices() const { return m_chart; }
    // Empties the items, the levels and the intraday line; product and market stay.
    void clearData();

    // Batches may nest; the outermost endUpdate() repaints what changed.
    void beginUpdate();
    void endUpdate();
    // Repaints the given parts (collected while a batch is open).
    void repainPanel(vd::QuotPaintEventTypes parts);

    // Code and name as the title line shows them.
    QString titleText() const;
    QString itemText(const VQuotDataItem *item) const;
    QString levelPriceText(vd::QuotStall stall, Side side) const;
    QString levelVolumeText(vd::QuotStall stall, Side side) const;

    QRect titleRect() const;
    // The label/value cell of an item of this panel.
    QRect itemRect(const VQuotDataItem *item) const;
    QRect levelRect(vd::QuotStall stall, Side side) const;
    QRect chartRect() const;
    // The visible item under pos, or null.
    VQuotDataItem *itemAt(const QPoint &pos) const;

    // Both are the size that shows every visible row at the current fonts,
    // spaces and digit length.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A left click on a visible item.
    void onSelectedItem(VQuotDataItem *item);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    const VQuotLayout &layout() const;
    QFont titleFont() const;
    void itemValueSet(VQuotDataItem *item);
    void takeChartPoint();
    void paintTitle(QPainter &painter) const;
    void paintLevels(QPainter &painter) const;
    void paintItems(QPainter &painter) const;
    void paintChart(QPainter &painter) const;
    void paintFrame(QPainter &painter) const;

    VQuotStyle *m_style;
    VQuotDataItems *m_items;
    QString m_productCode;
    QString m_productName;
    QString m_marketCode;
    QString m_marketName;
    QVector<VQuotLevel> m_levels;
    QVector<double> m_chart;

    int m_updateDepth = 0;
    vd::QuotPaintEventTypes m_pending;
    bool m_lastPriceSet = false;

    std::unique_ptr<VQuotLayout> m_layout;
    mutable bool m_layoutValid = false;
};
