#include "bcquotpanel.h"

#include "ui_bcquotpanel.h"

#include <latestquotes.h>
#include <quotbatch.h>
#include <quotetext.h>
#include <quotewriter.h>

#include <ihostcontext.h>
#include <vconfig.h>
#include <vdatadict.h>
#include <vlocaldb.h>
#include <vmsgdlg.h>
#include <vquotdata.h>
#include <vquotdataitem.h>
#include <vquotdataitems.h>
#include <vquotmgr.h>
#include <vquotpanel.h>
#include <vquotstyle.h>
#include <vquotsubscriber.h>
#include <vstylemgr.h>

#include <QCoreApplication>
#include <QHelpEvent>
#include <QLoggingCategory>
#include <QToolTip>

#include <cmath>

// The quote panel's traces.
Q_LOGGING_CATEGORY(lcQuotPanel, "tarn.quotpanel", QtInfoMsg)

namespace {

// Markets showing ten levels; markets showing five (the futures exchanges
// but the financial one, and the option markets); markets blanking zero
// limit prices.
const QByteArray kTenLevelMarkets = QByteArrayLiteral("0189");
const QByteArray kFiveLevelMarkets = QByteArrayLiteral("DHZ56");
const QByteArray kEmptyLimitMarkets = QByteArrayLiteral("DHZ");

const QString kStallKey = QStringLiteral("QuotStall");

// The style's switches as stored in a scene, in storing order.
struct SceneSwitch
{
    const char *key;
    bool (VQuotStyle::*isOn)() const;
    void (VQuotStyle::*setOn)(bool);
};
const SceneSwitch kSceneSwitches[] = {
    {"ShowTitle", &VQuotStyle::showTitle, &VQuotStyle::setShowTitle},
    {"ShowMarket", &VQuotStyle::showMarket, &VQuotStyle::setShowMarket},
    {"ShowChart", &VQuotStyle::showChart, &VQuotStyle::setShowChart},
};

// The items as stored in a scene (by visibility), in storing order.
struct SceneItem
{
    const char *key;
    VQuotDataItem *(VQuotDataItems::*item)() const;
};
const SceneItem kSceneItems[] = {
    {"PreClosingPrice", &VQuotDataItems::preClosingPrice},
    {"OpeningPrice", &VQuotDataItems::openingPrice},
    {"HighLimitPrice", &VQuotDataItems::highLimitPrice},
    {"LowLimitPrice", &VQuotDataItems::lowLimitPrice},
    {"HighPrice", &VQuotDataItems::highPrice},
    {"LowPrice", &VQuotDataItems::lowPrice},
    {"LastPrice", &VQuotDataItems::lastPrice},
    {"PriceChange", &VQuotDataItems::priceChange},
    {"PriceChangeRatio", &VQuotDataItems::priceChangeRatio},
    {"AvgPrice", &VQuotDataItems::avgPrice},
    {"MatchQuantity", &VQuotDataItems::matchQuantity},
    {"MatchAmount", &VQuotDataItems::matchAmount},
    {"DelistFlag", &VQuotDataItems::delistFlag},
};

// The client's colour resources and the quote style's colours they set.
struct StyleColour
{
    const char *resource;
    void (VQuotStyle::*set)(const QColor &);
};
const StyleColour kStyleColours[] = {
    {"Qout_Title_Font_Color", &VQuotStyle::setTitleColor},
    {"Qout_Border_Color", &VQuotStyle::setBorderColor},
    {"Qout_Background_Color", &VQuotStyle::setBackgroundColor},
    {"Qout_Label_Font_Color", &VQuotStyle::setLabelColor},
    {"Qout_Neutral_Color", &VQuotStyle::setTextColor},
    {"Qout_Rise_Color", &VQuotStyle::setUpColor},
    {"Qout_Fall_Color", &VQuotStyle::setDownColor},
};

VLocalDb *localDb()
{
    return tarn::hostContext()->config()->cfgLocalDb();
}

} // namespace

BCQuotPanel::BCQuotPanel(QWidget *parent, QString className, const QString &identity, const QMap<QString, QVariant> *)
    : IComponent(parent, className, identity)
    , ui(new Ui::BCQuotPanelClass)
    , m_quotes(new QuotBatch(this))
{
    connect(m_quotes, &QuotBatch::ready, this, &BCQuotPanel::showLatest);
    ui->setupUi(this);
    setupStyle();
    registSignalSlots();

    VQuotStyle *style = ui->quotPanel->quotStyle();
    style->setBorderSpace(2);
    style->setLabelSpace(2);
    style->setHorzSpace(4);
    style->setDigitMaxLen(7);
    style->setBorderSides(vd::WidgetSides());
    doSystemStyleChanged();

    m_subscriber = new VQuotSubscriber(this, QStringLiteral("行情面板订阅"));
    m_subscriber->setRecvSlot(this, "1doRecvSubscribeQuot(VQuotData*)");

    connect(ui->quotPanel, &VQuotPanel::onSelectedItem, this, &BCQuotPanel::onSelectedQuotItem);
    ui->quotPanel->installEventFilter(this);
    connect(tarn::hostContext()->styleMgr(), &VStyleMgr::onSystemStyleChanged, this,
            &BCQuotPanel::doSystemStyleChanged);
}

BCQuotPanel::~BCQuotPanel()
{
    m_subscriber->unsubscribe(true);
    delete m_subscriber;
}

QSize BCQuotPanel::sizeHint() const
{
    return ui->quotPanel->sizeHint();
}

QSize BCQuotPanel::minimumSizeHint() const
{
    return QSize(ui->quotPanel->minimumSizeHint().width() + 2, 0);
}

void BCQuotPanel::doSubscribeQuot(char cMarket, QString sStkCode, QString sStkName, double dbPriceUnit,
                                  const QString &sSktType)
{
    if (cMarket == m_market && sStkCode == m_stkCode)
        return;
    m_market = cMarket;
    m_stkCode = sStkCode;
    m_stkType = sSktType;
    m_priceUnit = dbPriceUnit;

    VQuotPanel *panel = ui->quotPanel;
    panel->clearData();
    panel->setProduct(sStkCode, sStkName);
    const QString market = QString(QLatin1Char(m_market));
    m_marketName = tarn::hostContext()->dataDict()->transDictItem(QStringLiteral("4"), market, ',');
    panel->setMarket(market, m_marketName);
    panel->update();

    VQuotStyle *style = panel->quotStyle();
    const int decimals = QuoteFormat::of(m_priceUnit, m_stkType).priceDecimals();
    if (style->decimalPlace() != decimals) {
        style->setDecimalPlace(decimals);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    // A record of the security shown before, still waiting, is not shown
    // now; what the module already has of the new one is, at the next frame.
    m_quotes->clear();
    const bool subscribed = m_subscriber->subOneProduct(m_market, m_stkCode);
    LatestQuotes::follow(m_subscriber, subscribed);
    qCDebug(lcQuotPanel) << "showing" << market << m_stkCode << (subscribed ? "subscribed" : "not subscribed");
    if (!subscribed) {
        VMsgDlg::info(QStringLiteral("订阅<%1>行情失败.").arg(m_stkCode, 0, QLatin1Char(' ')), QString(), Qt::NonModal,
                      5);
    }
    m_quotes->addLatest(SecurityId::of(market, m_stkCode));
}

bool BCQuotPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != ui->quotPanel || event->type() != QEvent::ToolTip)
        return IComponent::eventFilter(watched, event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QString title = elidedTitle();
    const int titleBottom = ui->quotPanel->quotStyle()->borderSpace() + QFontMetrics(titleFont()).height() + 4;
    if (title.isEmpty() || help->pos().y() >= titleBottom) {
        QToolTip::hideText();
        return IComponent::eventFilter(watched, event);
    }
    QToolTip::showText(help->globalPos(), title, ui->quotPanel);
    return true;
}

QFont BCQuotPanel::titleFont() const
{
    QFont bold = ui->quotPanel->font();
    bold.setBold(true);
    return bold;
}

QString BCQuotPanel::elidedTitle() const
{
    const VQuotPanel *panel = ui->quotPanel;
    const VQuotStyle *style = panel->quotStyle();
    if (!style->showTitle())
        return QString();
    const QString title = panel->productName().isEmpty()
        ? panel->productCode()
        : panel->productCode() + QLatin1Char(' ') + panel->productName();
    // The title shares its line with the market's name, within the panel's borders.
    int room = panel->width() - 2 * (style->borderSpace() + 1);
    if (style->showMarket() && !m_marketName.isEmpty())
        room -= panel->fontMetrics().horizontalAdvance(m_marketName) + style->horzSpace();
    return QFontMetrics(titleFont()).horizontalAdvance(title) > room ? title : QString();
}

void BCQuotPanel::doRecvSubscribeQuot(VQuotData *pQuotData)
{
    if (pQuotData && pQuotData->status != 0)
        m_quotes->add(*pQuotData);
}

void BCQuotPanel::showLatest()
{
    const std::vector<VQuotData> &records = m_quotes->take();
    if (!records.empty())
        showQuote(records.back());
}

void BCQuotPanel::showQuote(const VQuotData &quote)
{
    const int lot = QuoteFormat::lotSizeOf(m_stkType);
    VQuotPanel *panel = ui->quotPanel;
    const double empty = panel->quotStyle()->emptyData();
    // Prices of (nearly) 0 are no prices; a change without a trade is none.
    auto orEmpty = [empty](double price) { return std::fabs(price) < 1e-5 ? empty : price; };
    auto change = [empty, &quote](QuoteValue value) {
        const std::optional<double> read = QuoteWriter::read(quote, value);
        return read && !std::isnan(*read) ? *read : empty;
    };

    panel->beginUpdate();
    VQuotDataItems *items = panel->quotItems();
    items->preClosingPrice()->setValue(orEmpty(quote.preClosingPrice));
    items->openingPrice()->setValue(orEmpty(quote.openingPrice));
    items->highPrice()->setValue(orEmpty(quote.highPrice));
    items->lowPrice()->setValue(orEmpty(quote.lowPrice));
    items->lastPrice()->setValue(orEmpty(quote.lastPrice));
    items->priceChange()->setValue(change(QuoteValue::Change));
    items->priceChangeRatio()->setValue(change(QuoteValue::ChangeRatio));
    items->matchQuantity()->setValue(qint64(quote.matchQuantity / lot));
    items->matchAmount()->setValue(quote.matchAmount);

    const bool suspended = quote.suspendFlag == 'T';
    items->delistFlag()->setValue(suspended ? QStringLiteral("停牌") : QStringLiteral("正常"));
    const QString suspendedSuffix = QStringLiteral("(停牌)");
    if (suspended && !panel->productName().endsWith(suspendedSuffix))
        panel->setProduct(panel->productCode(), panel->productName() + suspendedSuffix);

    // Only the full quote server sends an average price; otherwise it is
    // amount over quantity, and nothing while nothing has traded.
    double average = quote.avgPrice;
    if (tarn::hostContext()->quotMgr()->serverType() != 0)
        average = quote.matchQuantity == 0 ? empty : quote.matchAmount / double(quote.matchQuantity) / lot;
    items->avgPrice()->setValue(average);
    items->highLimitPrice()->setValue(quote.highLimitPrice);
    items->lowLimitPrice()->setValue(quote.lowLimitPrice);

    auto setLevel = [&](int stall) {
        const double ask = quote.askVolume[stall] > 0 ? quote.askPrice[stall] : empty;
        const double bid = quote.bidVolume[stall] > 0 ? quote.bidPrice[stall] : empty;
        panel->setQuotData(vd::QuotStall(stall), ask, qint64(quote.askVolume[stall]) / lot, bid,
                           qint64(quote.bidVolume[stall]) / lot);
    };
    if (kEmptyLimitMarkets.contains(quote.market)) {
        items->preClosingPrice()->setValue(orEmpty(quote.preClosingPrice));
        items->openingPrice()->setValue(orEmpty(quote.openingPrice));
        items->highLimitPrice()->setValue(orEmpty(quote.highLimitPrice));
        items->lowLimitPrice()->setValue(orEmpty(quote.lowLimitPrice));
    }
    const int levels = kTenLevelMarkets.contains(quote.market) ? 10 : kFiveLevelMarkets.contains(quote.market) ? 5 : 1;
    for (int stall = 0; stall < levels; ++stall)
        setLevel(stall);
    panel->endUpdate();
    panel->update();
}

void BCQuotPanel::doSystemStyleChanged()
{
    setupStyle();
    ensurePolished();
    setMaximumWidth(ui->quotPanel->minimumSizeHint().width() + 2);
    ui->quotPanel->repainPanel(vd::QPE_All);
}

void BCQuotPanel::saveScene()
{
    const QString group = comCfgGroup();
    if (group.isEmpty())
        return;
    const VQuotStyle *style = ui->quotPanel->quotStyle();
    const VQuotDataItems *items = ui->quotPanel->quotItems();
    // A switch that is off, or a hidden item, is left out rather than stored as false.
    QHash<QString, QVariant> params;
    params.insert(kStallKey, int(style->stall()));
    for (const SceneSwitch &entry : kSceneSwitches) {
        if ((style->*entry.isOn)())
            params.insert(QLatin1String(entry.key), true);
    }
    for (const SceneItem &entry : kSceneItems) {
        if ((items->*entry.item)()->isVisible())
            params.insert(QLatin1String(entry.key), true);
    }
    localDb()->setCfgParam(group, params, true);
}

void BCQuotPanel::restoreScene()
{
    const QString group = comCfgGroup();
    if (group.isEmpty())
        return;
    QHash<QString, QVariant> params;
    localDb()->getCfgParam(group, params);

    VQuotStyle *style = ui->quotPanel->quotStyle();
    const VQuotDataItems *items = ui->quotPanel->quotItems();
    const QVariant stall = params.value(kStallKey);
    if (stall.isValid())
        style->setStall(vd::QuotStall(stall.toInt()));
    for (const SceneSwitch &entry : kSceneSwitches) {
        const QVariant value = params.value(QLatin1String(entry.key));
        if (value.isValid())
            (style->*entry.setOn)(value.toBool());
    }
    for (const SceneItem &entry : kSceneItems) {
        const QVariant value = params.value(QLatin1String(entry.key));
        if (value.isValid())
            (items->*entry.item)()->setVisible(value.toBool());
    }
}

void BCQuotPanel::setupStyle()
{
    const VStyleMgr *styles = tarn::hostContext()->styleMgr();
    VQuotStyle *style = ui->quotPanel->quotStyle();
    for (const StyleColour &colour : kStyleColours) {
        // A resource the client does not define keeps the widget's own colour.
        const QColor value = styles->colorRes(QLatin1String(colour.resource));
        if (value.isValid())
            (style->*colour.set)(value);
    }
}

void BCQuotPanel::registSignalSlots()
{
    registSlot(QStringLiteral("doSubscribeQuot"), "1doSubscribeQuot(char, QString, QString, double, QString)",
               QStringLiteral("订阅行情信号处理槽"));
    registSignal(QStringLiteral("onSelectedQuotItem"), "2onSelectedQuotItem(VQuotDataItem*)",
                 QStringLiteral("在行情面板上选择行情数据项信号"));
}
