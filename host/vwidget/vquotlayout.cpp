#include "vquotlayout.h"

#include "vquotdataitem.h"
#include "vquotdataitems.h"
#include "vquotstyle.h"

#include <QFontMetrics>

namespace {

using Id = VQuotDataItems::Id;

// The two item columns, top to bottom.
const Id kLeftColumn[] = {VQuotDataItems::LastPrice, VQuotDataItems::PriceChange,   VQuotDataItems::PriceChangeRatio,
                          VQuotDataItems::AvgPrice,  VQuotDataItems::MatchQuantity, VQuotDataItems::MatchAmount,
                          VQuotDataItems::DelistFlag};
const Id kRightColumn[]
    = {VQuotDataItems::PreClosingPrice, VQuotDataItems::OpeningPrice,   VQuotDataItems::HighPrice,
       VQuotDataItems::LowPrice,        VQuotDataItems::HighLimitPrice, VQuotDataItems::LowLimitPrice};

constexpr int kSeparatorHeight = 5;
constexpr int kChartRows = 3;
constexpr int kMaxLevels = 10;

template<size_t N> QVector<Id> visibleItems(const VQuotDataItems &items, const Id (&column)[N])
{
    QVector<Id> visible;
    for (Id id : column) {
        if (items.item(id)->isVisible())
            visible.append(id);
    }
    return visible;
}

} // namespace

QString VQuotLayout::levelCaption(bool ask, int stall)
{
    static const char *const numerals[kMaxLevels] = {"一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};
    return (ask ? QStringLiteral("卖") : QStringLiteral("买")) + QString::fromUtf8(numerals[qBound(0, stall, 9)]);
}

void VQuotLayout::build(const VQuotStyle &style, const VQuotDataItems &items, const QFont &font, const QFont &titleFont,
                        int width)
{
    const QFontMetrics fm(font);
    int digitWidth = 0;
    for (char digit = '0'; digit <= '9'; ++digit)
        digitWidth = qMax(digitWidth, fm.horizontalAdvance(QLatin1Char(digit)));
    const int valueWidth = style.digitMaxLen() * digitWidth;

    m_labelWidth = 0;
    for (int id = 0; id < items.count(); ++id)
        m_labelWidth = qMax(m_labelWidth, fm.horizontalAdvance(items.item(Id(id))->label()));
    for (int stall = 0; stall < kMaxLevels; ++stall) {
        m_labelWidth = qMax(m_labelWidth, fm.horizontalAdvance(levelCaption(true, stall)));
        m_labelWidth = qMax(m_labelWidth, fm.horizontalAdvance(levelCaption(false, stall)));
    }
    m_labelSpace = style.labelSpace();
    m_horzSpace = style.horzSpace();

    const int rowHeight = fm.height() + 2;
    const int horzSpace = m_horzSpace;
    const int border = style.borderSpace();
    const int cellWidth = m_labelWidth + m_labelSpace + valueWidth;
    const int levelWidth = cellWidth + horzSpace + valueWidth;
    const QVector<Id> left = visibleItems(items, kLeftColumn);
    const QVector<Id> right = visibleItems(items, kRightColumn);
    const bool twoColumns = !left.isEmpty() && !right.isEmpty();
    const int itemsWidth = twoColumns ? 2 * cellWidth + horzSpace : (left.isEmpty() && right.isEmpty() ? 0 : cellWidth);

    const vd::WidgetSides sides = style.borderSides();
    const int leftLine = sides.testFlag(vd::WS_Left) ? 1 : 0;
    const int rightLine = sides.testFlag(vd::WS_Right) ? 1 : 0;
    const int topLine = sides.testFlag(vd::WS_Top) ? 1 : 0;
    const int bottomLine = sides.testFlag(vd::WS_Bottom) ? 1 : 0;
    const int minimumWidth = leftLine + 2 * border + qMax(levelWidth, itemsWidth) + rightLine;

    m_width = qMax(width, minimumWidth);
    const int x = leftLine + border;
    const int contentWidth = m_width - x - border - rightLine;
    int y = topLine + border;
    m_separators.clear();
    bool firstSection = true;
    auto beginSection = [&] {
        if (!firstSection) {
            m_separators.append(y + kSeparatorHeight / 2);
            y += kSeparatorHeight;
        }
        firstSection = false;
    };

    m_title = QRect();
    if (style.showTitle() || style.showMarket()) {
        beginSection();
        const int titleHeight = QFontMetrics(titleFont).height() + 4;
        m_title = QRect(x, y, contentWidth, titleHeight);
        y += titleHeight;
    }

    const int levels = style.levelCount();
    m_asks.fill(QRect(), kMaxLevels);
    m_bids.fill(QRect(), kMaxLevels);
    beginSection();
    for (int stall = levels - 1; stall >= 0; --stall, y += rowHeight)
        m_asks[stall] = QRect(x, y, contentWidth, rowHeight);
    beginSection();
    for (int stall = 0; stall < levels; ++stall, y += rowHeight)
        m_bids[stall] = QRect(x, y, contentWidth, rowHeight);
    m_priceRight = qMax(m_labelWidth + m_labelSpace + valueWidth, (contentWidth - horzSpace) / 2);

    m_items.fill(QRect(), items.count());
    if (!left.isEmpty() || !right.isEmpty()) {
        beginSection();
        const int leftWidth = twoColumns ? (contentWidth - horzSpace) / 2 : contentWidth;
        const QRect leftCell(x, y, leftWidth, rowHeight);
        const QRect rightCell = twoColumns
            ? QRect(x + leftWidth + horzSpace, y, contentWidth - leftWidth - horzSpace, rowHeight)
            : leftCell;
        for (int row = 0; row < left.size(); ++row)
            m_items[left.at(row)] = leftCell.translated(0, row * rowHeight);
        for (int row = 0; row < right.size(); ++row)
            m_items[right.at(row)] = rightCell.translated(0, row * rowHeight);
        y += qMax(left.size(), right.size()) * rowHeight;
    }

    m_chart = QRect();
    if (style.showChart()) {
        beginSection();
        m_chart = QRect(x, y, contentWidth, kChartRows * rowHeight);
        y += m_chart.height();
    }

    m_content = QRect(x, topLine + border, contentWidth, y - topLine - border);
    m_minimumSize = QSize(minimumWidth, y + border + bottomLine);
}

QRect VQuotLayout::levelLabelRect(const QRect &row) const
{
    return QRect(row.left(), row.top(), m_labelWidth, row.height());
}

QRect VQuotLayout::levelPriceRect(const QRect &row) const
{
    const int left = m_labelWidth + m_labelSpace;
    return QRect(row.left() + left, row.top(), m_priceRight - left, row.height());
}

QRect VQuotLayout::levelVolumeRect(const QRect &row) const
{
    const int left = m_priceRight + m_horzSpace;
    return QRect(row.left() + left, row.top(), row.width() - left, row.height());
}

QRect VQuotLayout::itemLabelRect(const QRect &cell) const
{
    return QRect(cell.left(), cell.top(), m_labelWidth, cell.height());
}

QRect VQuotLayout::itemValueRect(const QRect &cell) const
{
    const int left = m_labelWidth + m_labelSpace;
    return QRect(cell.left() + left, cell.top(), cell.width() - left, cell.height());
}

QRect VQuotLayout::levelsRect() const
{
    QRect rect;
    for (const QRect &row : m_asks)
        rect |= row;
    for (const QRect &row : m_bids)
        rect |= row;
    return rect;
}

QRect VQuotLayout::itemsRect() const
{
    QRect rect;
    for (const QRect &cell : m_items)
        rect |= cell;
    return rect;
}
