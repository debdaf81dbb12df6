#include "vquotpanel.h"

#include "vquotdataitem.h"
#include "vquotdataitems.h"
#include "vquotlayout.h"
#include "vquotstyle.h"
#include "vwidgetlog.h"

#include <voutput.h>

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

constexpr int kLevelCount = 10;

bool isValidStall(vd::QuotStall stall)
{
    return stall >= vd::QS_Stall1 && stall <= vd::QS_Stall10;
}

} // namespace

VQuotPanel::VQuotPanel(QWidget *parent)
    : QWidget(parent)
    , m_style(new VQuotStyle(this))
    , m_items(new VQuotDataItems(this))
    , m_layout(new VQuotLayout)
{
    // Receivers of onSelectedItem may sit behind a queued connection.
    qRegisterMetaType<VQuotDataItem *>();
    const double empty = m_style->emptyData();
    m_levels.fill({empty, 0, empty, 0}, kLevelCount);
    m_chart.reserve(ChartCapacity);
    // The panel paints every pixel of its rectangle.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_style, &VQuotStyle::changed, this, &VQuotPanel::repainPanel);
    connect(m_items, &VQuotDataItems::valueSet, this, &VQuotPanel::itemValueSet);
    connect(m_items, &VQuotDataItems::visibilityChanged, this, [this] { repainPanel(vd::QPE_All); });
}

VQuotPanel::~VQuotPanel() = default;

void VQuotPanel::setProduct(const QString &code, const QString &name)
{
    m_productCode = code;
    m_productName = name;
    repainPanel(vd::QPE_Title);
}

void VQuotPanel::setMarket(const QString &code, const QString &name)
{
    m_marketCode = code;
    m_marketName = name;
    repainPanel(vd::QPE_Market);
}

void VQuotPanel::setQuotData(vd::QuotStall stall, double askPrice, qint64 askVolume, double bidPrice, qint64 bidVolume)
{
    if (!isValidStall(stall)) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("行情面板档位%1无效,该档行情已忽略").arg(int(stall)));
        return;
    }
    m_levels[stall] = {askPrice, askVolume, bidPrice, bidVolume};
    repainPanel(vd::QPE_Levels);
}

VQuotLevel VQuotPanel::quotData(vd::QuotStall stall) const
{
    const double empty = m_style->emptyData();
    return isValidStall(stall) ? m_levels.at(stall) : VQuotLevel {empty, 0, empty, 0};
}

void VQuotPanel::clearData()
{
    beginUpdate();
    m_items->clearValues();
    const double empty = m_style->emptyData();
    m_levels.fill({empty, 0, empty, 0});
    m_chart.clear();
    repainPanel(vd::QPE_Levels | vd::QPE_Chart);
    endUpdate();
}

void VQuotPanel::beginUpdate()
{
    ++m_updateDepth;
}

void VQuotPanel::endUpdate()
{
    if (m_updateDepth == 0) {
        qCWarning(lcWidget) << "endUpdate() without beginUpdate()";
        return;
    }
    if (--m_updateDepth == 0)
        repainPanel(vd::QPE_None);
}

void VQuotPanel::repainPanel(vd::QuotPaintEventTypes parts)
{
    m_pending |= parts;
    if (m_updateDepth > 0)
        return;
    if (m_lastPriceSet)
        takeChartPoint();
    parts = m_pending;
    m_pending = vd::QPE_None;

    if (parts.testFlag(vd::QPE_All)) {
        m_layoutValid = false;
        updateGeometry();
        update();
        return;
    }
    if (parts.testFlag(vd::QPE_Frame)) {
        update();
        return;
    }
    const VQuotLayout &geometry = layout();
    QRegion region;
    if (parts & (vd::QPE_Title | vd::QPE_Market))
        region += geometry.titleRect();
    if (parts & vd::QPE_Levels)
        region += geometry.levelsRect();
    if (parts & vd::QPE_Items)
        region += geometry.itemsRect();
    if (parts & vd::QPE_Chart)
        region += geometry.chartRect();
    if (!region.isEmpty())
        update(region);
}

QString VQuotPanel::titleText() const
{
    if (m_productName.isEmpty())
        return m_productCode;
    return m_productCode + QLatin1Char(' ') + m_productName;
}

QString VQuotPanel::itemText(const VQuotDataItem *item) const
{
    return item ? m_style->valueText(item->kind(), item->value()) : QString();
}

QString VQuotPanel::levelPriceText(vd::QuotStall stall, Side side) const
{
    const VQuotLevel level = quotData(stall);
    return m_style->valueText(VQuotDataItem::Price, side == Ask ? level.askPrice : level.bidPrice);
}

QString VQuotPanel::levelVolumeText(vd::QuotStall stall, Side side) const
{
    const VQuotLevel level = quotData(stall);
    return m_style->levelVolumeText(side == Ask ? level.askVolume : level.bidVolume);
}

QRect VQuotPanel::titleRect() const
{
    return layout().titleRect();
}

QRect VQuotPanel::itemRect(const VQuotDataItem *item) const
{
    return layout().itemRect(m_items->idOf(item));
}

QRect VQuotPanel::levelRect(vd::QuotStall stall, Side side) const
{
    return side == Ask ? layout().askRect(stall) : layout().bidRect(stall);
}

QRect VQuotPanel::chartRect() const
{
    return layout().chartRect();
}

VQuotDataItem *VQuotPanel::itemAt(const QPoint &pos) const
{
    for (int id = 0; id < m_items->count(); ++id) {
        if (layout().itemRect(id).contains(pos))
            return m_items->item(VQuotDataItems::Id(id));
    }
    return nullptr;
}

QSize VQuotPanel::sizeHint() const
{
    return layout().minimumSize();
}

QSize VQuotPanel::minimumSizeHint() const
{
    return layout().minimumSize();
}

const VQuotLayout &VQuotPanel::layout() const
{
    if (!m_layoutValid || m_layout->width() != qMax(width(), m_layout->minimumSize().width())) {
        m_layout->build(*m_style, *m_items, font(), titleFont(), width());
        m_layoutValid = true;
        qCDebug(lcWidget) << "measured" << m_layout->minimumSize() << "for width" << width();
    }
    return *m_layout;
}

QFont VQuotPanel::titleFont() const
{
    QFont title = font();
    title.setBold(true);
    return title;
}

void VQuotPanel::itemValueSet(VQuotDataItem *item)
{
    vd::QuotPaintEventTypes parts = vd::QPE_Items;
    if (item == m_items->lastPrice()) {
        m_lastPriceSet = true;
        parts |= vd::QPE_Chart;
    } else if (item == m_items->preClosingPrice()) {
        // Level prices and the intraday line are coloured against it.
        parts |= vd::QPE_Levels | vd::QPE_Chart;
    }
    repainPanel(parts);
}

void VQuotPanel::takeChartPoint()
{
    m_lastPriceSet = false;
    const QVariant last = m_items->lastPrice()->value();
    if (m_style->isEmpty(last))
        return;
    if (m_chart.size() == ChartCapacity)
        m_chart.removeFirst();
    m_chart.append(last.toDouble());
}

void VQuotPanel::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), m_style->backgroundColor());
    const VQuotLayout &geometry = layout();
    if (event->region().intersects(geometry.titleRect()))
        paintTitle(painter);
    if (event->region().intersects(geometry.levelsRect()))
        paintLevels(painter);
    if (event->region().intersects(geometry.itemsRect()))
        paintItems(painter);
    if (event->region().intersects(geometry.chartRect()))
        paintChart(painter);
    paintFrame(painter);
}

void VQuotPanel::paintTitle(QPainter &painter) const
{
    const QRect line = layout().titleRect();
    int titleRight = line.right();
    if (m_style->showMarket() && !m_marketName.isEmpty()) {
        painter.setFont(font());
        painter.setPen(m_style->labelColor());
        const QString market = fontMetrics().elidedText(m_marketName, Qt::ElideRight, line.width());
        painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, market);
        titleRight -= fontMetrics().horizontalAdvance(market) + m_style->horzSpace();
    }
    if (m_style->showTitle()) {
        const QFont title = titleFont();
        const QRect rect(line.topLeft(), QPoint(titleRight, line.bottom()));
        painter.setFont(title);
        painter.setPen(m_style->titleColor());
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetrics(title).elidedText(titleText(), Qt::ElideRight, rect.width()));
    }
}

void VQuotPanel::paintLevels(QPainter &painter) const
{
    const VQuotLayout &geometry = layout();
    const QVariant preClose = m_items->preClosingPrice()->value();
    painter.setFont(font());
    for (int stall = 0; stall < m_style->levelCount(); ++stall) {
        const VQuotLevel &level = m_levels.at(stall);
        for (const Side side : {Ask, Bid}) {
            const QRect row = side == Ask ? geometry.askRect(stall) : geometry.bidRect(stall);
            const double price = side == Ask ? level.askPrice : level.bidPrice;
            painter.setPen(m_style->labelColor());
            painter.drawText(geometry.levelLabelRect(row), Qt::AlignLeft | Qt::AlignVCenter,
                             VQuotLayout::levelCaption(side == Ask, stall));
            painter.setPen(m_style->valueColor(VQuotDataItem::Price, price, preClose));
            painter.drawText(geometry.levelPriceRect(row), Qt::AlignRight | Qt::AlignVCenter,
                             levelPriceText(vd::QuotStall(stall), side));
            painter.setPen(m_style->textColor());
            painter.drawText(geometry.levelVolumeRect(row), Qt::AlignRight | Qt::AlignVCenter,
                             levelVolumeText(vd::QuotStall(stall), side));
        }
    }
}

void VQuotPanel::paintItems(QPainter &painter) const
{
    const VQuotLayout &geometry = layout();
    const QVariant preClose = m_items->preClosingPrice()->value();
    painter.setFont(font());
    for (int id = 0; id < m_items->count(); ++id) {
        const QRect cell = geometry.itemRect(id);
        if (cell.isNull())
            continue;
        const VQuotDataItem *item = m_items->item(VQuotDataItems::Id(id));
        painter.setPen(m_style->labelColor());
        painter.drawText(geometry.itemLabelRect(cell), Qt::AlignLeft | Qt::AlignVCenter, item->label());
        painter.setPen(m_style->valueColor(item->kind(), item->value(), preClose));
        painter.drawText(geometry.itemValueRect(cell), Qt::AlignRight | Qt::AlignVCenter, itemText(item));
    }
}

void VQuotPanel::paintChart(QPainter &painter) const
{
    if (m_chart.isEmpty())
        return;
    const QRect rect = layout().chartRect().adjusted(0, 2, 0, -2);
    const QVariant preClose = m_items->preClosingPrice()->value();
    const double base = m_style->isEmpty(preClose) ? m_chart.first() : preClose.toDouble();
    // Symmetric around the base so the base line sits in the middle; at
    // least one step of the last decimal, so a flat line stays flat.
    double range = std::pow(10.0, -m_style->decimalPlace());
    for (double price : m_chart)
        range = qMax(range, std::fabs(price - base));
    const double middle = rect.top() + rect.height() / 2.0;
    const double halfHeight = rect.height() / 2.0 - 1;
    auto yOf = [&](double price) { return middle - (price - base) / range * halfHeight; };

    painter.setPen(QPen(m_style->borderColor(), 1, Qt::DashLine));
    painter.drawLine(QPointF(rect.left(), middle), QPointF(rect.right(), middle));

    QVector<QPointF> line;
    line.reserve(m_chart.size());
    const double step = double(rect.width() - 1) / (ChartCapacity - 1);
    for (int i = 0; i < m_chart.size(); ++i)
        line.append(QPointF(rect.left() + i * step, yOf(m_chart.at(i))));
    // A cosmetic pen: a stroked path of 240 points costs several times more
    // than the rest of the panel.
    QPen pen(m_chart.last() >= base ? m_style->upColor() : m_style->downColor());
    pen.setCosmetic(true);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.drawPolyline(line.constData(), line.size());
    painter.setRenderHint(QPainter::Antialiasing, false);
}

// One-pixel lines as fills: a stroked line under the clip of a partial
// repaint costs as much as a row of text.
void VQuotPanel::paintFrame(QPainter &painter) const
{
    const VQuotLayout &geometry = layout();
    const QColor colour = m_style->borderColor();
    const QRect content = geometry.contentRect();
    for (int y : geometry.separators())
        painter.fillRect(QRect(QPoint(content.left(), y), QPoint(content.right(), y)), colour);
    const vd::WidgetSides sides = m_style->borderSides();
    const QRect frame = rect();
    if (sides.testFlag(vd::WS_Left))
        painter.fillRect(QRect(frame.topLeft(), frame.bottomLeft()), colour);
    if (sides.testFlag(vd::WS_Top))
        painter.fillRect(QRect(frame.topLeft(), frame.topRight()), colour);
    if (sides.testFlag(vd::WS_Right))
        painter.fillRect(QRect(frame.topRight(), frame.bottomRight()), colour);
    if (sides.testFlag(vd::WS_Bottom))
        painter.fillRect(QRect(frame.bottomLeft(), frame.bottomRight()), colour);
}

void VQuotPanel::mousePressEvent(QMouseEvent *event)
{
    VQuotDataItem *item = event->button() == Qt::LeftButton ? itemAt(event->pos()) : nullptr;
    if (!item) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    emit onSelectedItem(item);
}

void VQuotPanel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        repainPanel(vd::QPE_All);
    QWidget::changeEvent(event);
}
