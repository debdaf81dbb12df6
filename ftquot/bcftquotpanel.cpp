#include "bcftquotpanel.h"

#include "scopeguard.h"

#include <livetableview.h>
#include <quotbatch.h>

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vbusiness.h>
#include <vbuttondelegate.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vconfig.h>
#include <vdatadict.h>
#include <vfutils.h>
#include <vlocaldb.h>
#include <vmsgdlg.h>
#include <voutput.h>
#include <vpanel.h>
#include <vquotdata.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <functional>
#include <iterator>
#include <utility>

namespace {

const QString CfgGroup = QStringLiteral("PG_Trd_FtQuotPanel");
const QString CheckMarketKey = QStringLiteral("Check_Market");
const QString OftenMarket = QStringLiteral("*");
const char *const MarketProperty = "ACT_Property_Market";
const QString CacheOwner = QStringLiteral("期货行情面板");
constexpr int ScrollDebounceMs = 300;

struct MarketSpec
{
    const char *market;
    const char *button;
    const char *text;
    const char *page;
    const char *table;
    const char *layout;
    const char *checkKey;
    const char *subscriber;
};

const MarketSpec Markets[] = {
    {"H", "btnSHQHMarket", "上期所", "SHQH", "tbSHQH", "horizontalLayout_2", "SHQH_Check_Products",
     "期货行情面板订阅--上海期货"},
    {"D", "btnDLSPMarket", "大商所", "DLQH", "tbDLQH", "horizontalLayout_3", "DLSP_Check_Products",
     "期货行情面板订阅--大连商品"},
    {"Z", "btnZZSPMarket", "郑商所", "ZZSP", "tbZZSP", "horizontalLayout_4", "ZZSP_Check_Products",
     "期货行情面板订阅--郑州商品"},
    {"F", "btnZGJRQHMarket", "中金所", "ZGJR", "tbZGJR", "horizontalLayout_5", "ZGJRQH_Check_Products",
     "期货行情面板订阅--中国金融"},
    {"*", "btnOften", "自选", "ZX", "tbOften", "horizontalLayout_6", "ZXQH_Check_Contracts",
     "期货行情面板订阅--自选"},
};

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

void log(int level, int line, const QString &message)
{
    VOutput(level, QStringLiteral("bcftquotpanel"), line, QString(), message);
}

// The quote values a record brings, in the order applyQuote writes them.
const char *const QuoteFields[] = {"lastprice", "incdecprice", "incdecpriceratio", "buyprice", "buyvol",
                                   "sellprice", "sellvol",   "matchvol",    "tdyopenprice",     "ystdsettleprice",
                                   "highestprice", "lowestprice", "tdyposvol"};

// The subscriber's product-list entries as contracts; malformed entries are
// left out.
QHash<QString, SecurityId> productsOf(const VQuotSubscriber *subscriber)
{
    QHash<QString, SecurityId> products;
    for (const QString &entry : subscriber->productList()) {
        const QStringList split = entry.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        const QByteArray code = split.value(1).toUtf8();
        if (split.size() == 2)
            products.insert(entry, SecurityId(vf::strToChar(split.at(0)), code.constData(), code.size()));
    }
    return products;
}

void addProduct(VQuotSubscriber *subscriber, const SecurityId &contract)
{
    subscriber->addProduct(contract.market(), contract.codeText());
}

void removeProduct(VQuotSubscriber *subscriber, const SecurityId &contract)
{
    subscriber->removeProduct(contract.market(), contract.codeText());
}

// Calls back when a watched widget changes size.
class ResizeWatcher : public QObject
{
public:
    ResizeWatcher(std::function<void()> onResize, QObject *parent)
        : QObject(parent)
        , m_onResize(std::move(onResize))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            m_onResize();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onResize;
};

} // namespace

BCFtQuotPanel::BCFtQuotPanel(QWidget *parent, QString className, const QString &identity,
                             const QMap<QString, QVariant> *)
    : IComponent(parent, className, identity)
    , m_addDelegate(new VButtonDelegate(this))
    , m_delDelegate(new VButtonDelegate(this))
    , m_quotes(new QuotBatch(this))
{
    connect(m_quotes, &QuotBatch::ready, this, &BCFtQuotPanel::applyQuotes);
    buildUi();
    initPages();
    loadConfig();
    initTables();
    connectSignals();
    registSignal(QStringLiteral("onSelectedFtContract"), "2onSelectedFtContract(QString)",
                 QStringLiteral("在行情面板上选择期货合约"));
    m_contractCache = tarn::hostContext()->cacheMgr()->dynCache(QStringLiteral("851101"), nullptr, this,
                                                                "1doFtContractDynCacheUpdated()");
    if (m_contractCache && m_contractCache->isNormal())
        doFtContractDynCacheUpdated();
}

BCFtQuotPanel::~BCFtQuotPanel()
{
    saveConfig();
    for (MarketPage *page : qAsConst(m_pageOrder)) {
        if (page->subscriber) {
            unsubscribePage(page, true);
            delete page->subscriber;
        }
        delete page;
    }
    m_pages.clear();
    m_pageOrder.clear();
}

void BCFtQuotPanel::buildUi()
{
    setObjectName(QStringLiteral("BCFtQuotPanel"));
    resize(819, 451);
    setStyleSheet(QString());
    setWindowTitle(QStringLiteral("BCFtQuotPanel"));
    auto *vertical = new QVBoxLayout(this);
    vertical->setObjectName(QStringLiteral("verticalLayout"));

    auto *tools = new VPanel(this);
    tools->setObjectName(QStringLiteral("pnlTools"));
    auto *row = new QHBoxLayout(tools);
    row->setObjectName(QStringLiteral("horizontalLayout"));
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    for (const MarketSpec &spec : Markets) {
        const bool often = QLatin1String(spec.market) == OftenMarket;
        auto *button = new QToolButton(tools);
        button->setObjectName(QLatin1String(spec.button));
        button->setText(text(spec.text));
        button->setCheckable(true);
        button->setAutoExclusive(true);
        button->setAutoRaise(true);
        button->setMinimumSize(80, 0);
        button->setPopupMode(often ? QToolButton::DelayedPopup : QToolButton::MenuButtonPopup);
        button->setToolButtonStyle(often ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextBesideIcon);
        row->addWidget(button);

        auto *page = new QWidget;
        page->setObjectName(QLatin1String(spec.page));
        auto *layout = new QHBoxLayout(page);
        layout->setObjectName(QLatin1String(spec.layout));
        auto *table = new LiveTableView(page);
        table->setObjectName(QLatin1String(spec.table));
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setSortingEnabled(true);
        table->horizontalHeader()->setHighlightSections(false);
        layout->addWidget(table);
        m_stack->addWidget(page);
    }
    row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    vertical->addWidget(tools);
    vertical->addWidget(m_stack);
}

void BCFtQuotPanel::initPages()
{
    for (const MarketSpec &spec : Markets) {
        auto *page = new MarketPage;
        page->market = QLatin1String(spec.market);
        page->often = page->market == OftenMarket;
        page->checkKey = QLatin1String(spec.checkKey);
        page->button = findChild<QToolButton *>(QLatin1String(spec.button));
        page->pageWidget = m_stack->findChild<QWidget *>(QLatin1String(spec.page));
        page->table = findChild<QTableView *>(QLatin1String(spec.table));
        page->subscriber = new VQuotSubscriber(this, text(spec.subscriber));
        page->subscriber->setRecvSlot(this, "1doRecvSubscribeQuot(VQuotData*)");
        m_pages.insert(page->market, page);
        m_pageOrder.append(page);
    }
}

void BCFtQuotPanel::loadConfig()
{
    if (!tarn::hostContext()->config()->cfgLocalDb()->getCfgParam(CfgGroup, m_cfgParams)) {
        log(3, __LINE__, QStringLiteral("期货行情面板:读取本地配置文件参数失败."));
        return;
    }
    for (MarketPage *page : qAsConst(m_pageOrder)) {
        const QStringList items = m_cfgParams.value(page->checkKey).toString().split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (const QString &item : items) {
            const QStringList parts = item.split(QLatin1Char('='), Qt::SkipEmptyParts);
            if (parts.size() == 2)
                page->checkedItems.insert(parts.at(0), parts.at(1));
        }
    }
    const QString market = m_cfgParams.value(CheckMarketKey).toString();
    if (market.isEmpty()) {
        oftenPage()->button->setChecked(true);
    } else if (MarketPage *page = m_pages.value(market); page && page->button) {
        page->button->setChecked(true);
    }
}

void BCFtQuotPanel::initTables()
{
    m_addDelegate->setButtonResId(QStringLiteral(":/vexa/img/icon/add"), QString());
    m_delDelegate->setButtonResId(QStringLiteral(":/vexa/img/icon/del"), QString());
    for (MarketPage *page : qAsConst(m_pageOrder)) {
        buildDataset(page);
        VButtonDelegate *delegate = page->often ? m_delDelegate : m_addDelegate;
        const int column = page->model.colIndexByFieldName(QStringLiteral("subscribe"));
        delegate->setDelegateColumn(column, false, false);
        page->table->setItemDelegateForColumn(column, delegate);
        page->dataset.open();
        page->model.setFlashEnabled(true);
        page->model.setFlashDuration(600);
    }
}

void BCFtQuotPanel::buildDataset(MarketPage *page)
{
    VDataset &ds = page->dataset;
    ds.setBusiness(false);
    ds.setDataDict(tarn::hostContext()->dataDict());
    ds.addField(QStringLiteral("subscribe"), QStringLiteral("订阅"), vd::DT_String, 12, 4);
    ds.addField(QStringLiteral("productid"), QStringLiteral("产品"), vd::DT_String, 2, 9)->setVisible(false);
    ds.addField(QStringLiteral("productname"), QStringLiteral("产品"), vd::DT_String, 4, 8)
        ->setType(vd::FT_Lookup)
        ->setKeyFields(QStringLiteral("productid"))
        ->setDictItem(QStringLiteral("30070"));
    ds.addField(QStringLiteral("stkid"), QStringLiteral("合约内码"), vd::DT_String, 12, 12)->setVisible(false);
    ds.addField(QStringLiteral("stkcode"), QStringLiteral("合约代码"), vd::DT_String, 12, 8);
    tarn::hostContext()->cacheMgr()->addStkNameLookupField(&ds);
    ds.addField(QStringLiteral("market"), QStringLiteral("市场"), vd::DT_String, 1, 8)->setVisible(false);
    if (page->often) {
        ds.addField(QStringLiteral("market_s"), QStringLiteral("市场"), vd::DT_String, 8, 8)
            ->setType(vd::FT_Lookup)
            ->setKeyFields(QStringLiteral("market"))
            ->setDictItem(QStringLiteral("4"));
    }
    const struct
    {
        const char *name;
        const char *caption;
    } quotes[] = {{"lastprice", "最新价"},        {"incdecprice", "涨跌↑↓"},    {"incdecpriceratio", "涨跌幅(%)"},
                  {"buyprice", "买价"},           {"buyvol", "买量"},           {"sellprice", "卖价"},
                  {"sellvol", "卖量"},            {"matchvol", "成交量"},       {"tdyopenprice", "今开盘"},
                  {"ystdsettleprice", "昨结算"},  {"highestprice", "最高价"},   {"lowestprice", "最低价"},
                  {"tdyposvol", "持仓量"},        {"convertunit", "合约乘数"}};
    for (const auto &quote : quotes)
        ds.addField(QLatin1String(quote.name), text(quote.caption), vd::DT_Double, 12, 8);
    for (const char *field : QuoteFields)
        page->quoteFields.append(ds.fields()->indexOf(QLatin1String(field)));
    page->model.linkDatasetTable(&ds, page->table, true, false);
    page->model.setRowLocator([page](const SecurityId &contract) { return page->rowIndex.value(contract, -1); });
}

void BCFtQuotPanel::connectSignals()
{
    for (MarketPage *page : qAsConst(m_pageOrder)) {
        connect(page->button, &QToolButton::clicked, this, &BCFtQuotPanel::doBtnClicked);
        connect(page->table->verticalScrollBar(), &QScrollBar::valueChanged, this,
                &BCFtQuotPanel::doTbvScrollBarValueChanged);
        // After the table's own sorting connection: the board re-reads the
        // rows once the model has sorted them.
        connect(page->table->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
                &BCFtQuotPanel::doSortIndicatorChanged);
        connect(&page->refreshTimer, &QTimer::timeout, this, &BCFtQuotPanel::doRefreshQuotSubProducts);
        connect(page->table, &QTableView::doubleClicked, this, &BCFtQuotPanel::doDoubleClickedQuotData);
        // Shown or resized, a table holds other rows in view: the window is
        // read again as after a scroll.
        page->table->viewport()->installEventFilter(new ResizeWatcher(
            [this, page] {
                if (page == m_currentPage)
                    doTbvScrollBarValueChanged(0);
            },
            page->table));
    }
    connect(m_addDelegate, &VButtonDelegate::onButtonClicked, this, &BCFtQuotPanel::doSubscibeClicked);
    connect(m_delDelegate, &VButtonDelegate::onButtonClicked, this, &BCFtQuotPanel::doCanelSubscibeClicked);
}

void BCFtQuotPanel::saveConfig()
{
    m_cfgParams.clear();
    for (MarketPage *page : qAsConst(m_pageOrder)) {
        QStringList items;
        for (auto it = page->checkedItems.cbegin(); it != page->checkedItems.cend(); ++it)
            items << QStringLiteral("%1=%2").arg(it.key(), it.value());
        m_cfgParams.insert(page->checkKey, items.join(QLatin1Char(';')));
    }
    if (m_currentPage)
        m_cfgParams.insert(CheckMarketKey, m_currentPage->market);
    // A write that is not kept is logged by the database, once for a run of failures.
    tarn::hostContext()->config()->cfgLocalDb()->setCfgParam(CfgGroup, m_cfgParams, true);
}

MarketPage *BCFtQuotPanel::oftenPage() const
{
    return m_pages.value(OftenMarket);
}

MarketPage *BCFtQuotPanel::pageOfTable(const QObject *table) const
{
    for (MarketPage *page : m_pageOrder) {
        if (page->table == table)
            return page;
    }
    return nullptr;
}

void BCFtQuotPanel::doFtContractDynCacheUpdated()
{
    if (!m_contractCache || !m_contractCache->isNormal()) {
        log(3, __LINE__, QStringLiteral("期货行情面板:期货合约动态缓存异常."));
        return;
    }
    loadContracts();
    loadOftenContracts();
    buildProductMenus();
    doBtnClicked();
}

void BCFtQuotPanel::loadContracts()
{
    if (!m_contractCache)
        return;
    m_contractCache->readLock(CacheOwner);
    ScopeGuard unlock([this] { m_contractCache->unlock(CacheOwner); });
    const int count = m_contractCache->recordCount1();
    for (int i = 0; i < count; ++i) {
        const QString stkid = m_contractCache->fieldValue1(i, QStringLiteral("stkid")).toString();
        const QString market = m_contractCache->fieldValue1(i, QStringLiteral("market")).toString();
        const QString product = m_contractCache->fieldValue1(i, QStringLiteral("productid")).toString();
        MarketPage *page = m_pages.value(market);
        if (!page || page->often) {
            log(3, __LINE__,
                QStringLiteral("期货行情面板:不存在的期货市场(%1[%2]).")
                    .arg(tarn::hostContext()->dataDict()->transDictItem(QStringLiteral("4"), market, ','), market));
            continue;
        }
        page->productContracts.insert(product, stkid);
    }
}

void BCFtQuotPanel::loadOftenContracts()
{
    MarketPage *often = oftenPage();
    if (!m_contractCache || !often)
        return;
    const QStringList ids = often->checkedItems.keys();
    for (const QString &id : ids)
        addContractRow(id, often);
}

void BCFtQuotPanel::buildProductMenus()
{
    const VDataDict *dict = tarn::hostContext()->dataDict();
    for (MarketPage *page : qAsConst(m_pageOrder)) {
        if (page->often || !page->button)
            continue;
        QList<QAction *> actions;
        for (const QString &product : page->productContracts.uniqueKeys()) {
            auto *action = new QAction(dict->transDictItem(QStringLiteral("30070"), product, ','), page->button);
            action->setData(product);
            action->setCheckable(true);
            action->setProperty(MarketProperty, page->market);
            if (page->checkedItems.contains(product)) {
                action->setChecked(true);
                addProductRows(product, page);
            }
            // Connected after a restored check, so restoring runs no doActCliked.
            connect(action, &QAction::toggled, this, &BCFtQuotPanel::doActCliked);
            actions << action;
        }
        page->button->addActions(actions);
    }
}

void BCFtQuotPanel::doActCliked()
{
    auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    MarketPage *page = m_pages.value(action->property(MarketProperty).toString());
    if (!page)
        return;
    const QString product = action->data().toString();
    if (action->isChecked()) {
        page->checkedItems.insert(product, action->text());
        addProductRows(product, page);
    } else {
        removeProductRows(product, page);
        page->checkedItems.remove(product);
    }
}

void BCFtQuotPanel::addProductRows(const QString &productId, MarketPage *page)
{
    // values() lists the most recently inserted contract first.
    for (const QString &contract : page->productContracts.values(productId))
        addContractRow(contract, page);
    refreshSubscription(page);
}

void BCFtQuotPanel::addContractRow(const QString &contractId, MarketPage *page)
{
    const int today = tarn::hostContext()->business()->sysDate();
    if (!m_contractCache)
        return;
    QVariantMap record;
    if (!m_contractCache->lookup(record, QStringLiteral("stkid"), contractId,
                                 QStringLiteral("expiredate;market;stkcode;convertunit;productid"))
        || record.isEmpty())
        return;
    if (today > record.value(QStringLiteral("expiredate")).toInt())
        return;
    VDataset &ds = page->dataset;
    const int row = ds.append();
    if (row < 0)
        return;
    const QString market = record.value(QStringLiteral("market")).toString();
    const QString code = record.value(QStringLiteral("stkcode")).toString();
    ds.setFieldValue(row, QStringLiteral("stkid"), contractId);
    ds.setFieldValue(row, QStringLiteral("market"), market);
    ds.setFieldValue(row, QStringLiteral("stkcode"), code);
    ds.setFieldValue(row, QStringLiteral("productid"), record.value(QStringLiteral("productid")));
    ds.setFieldValue(row, QStringLiteral("convertunit"), record.value(QStringLiteral("convertunit")));
    page->rowIndex.insert(SecurityId::of(market, code), row);
}

void BCFtQuotPanel::removeProductRows(const QString &productId, MarketPage *page)
{
    if (!page || !m_contractCache)
        return;
    for (const QString &contract : page->productContracts.values(productId)) {
        QVariantMap record;
        if (!m_contractCache->lookup(record, QStringLiteral("stkid"), contract, QStringLiteral("market;stkcode")))
            continue;
        const int row = page->rowIndex.value(SecurityId::of(record.value(QStringLiteral("market")).toString(),
                                                             record.value(QStringLiteral("stkcode")).toString()),
                                             -1);
        if (row >= 0 && row < page->dataset.recordCount()) {
            page->dataset.remove(row);
            rebuildRowIndex(page);
        }
    }
    page->model.refreshModel();
    // The removed contracts leave the subscription at once: the window is
    // read again from the rows that are left.
    removeAllProducts(page);
    refreshSubscription(page);
    if (page->dataset.recordCount() == 0)
        commitSubscription(page);
}

void BCFtQuotPanel::rebuildRowIndex(MarketPage *page)
{
    page->rowIndex.clear();
    const VDataset &ds = page->dataset;
    for (int row = 0; row < ds.recordCount(); ++row) {
        const QString market = page->often ? ds.fieldValue(row, QStringLiteral("market")).toString() : page->market;
        page->rowIndex.insert(SecurityId::of(market, ds.fieldValue(row, QStringLiteral("stkcode")).toString()), row);
    }
    page->firstSubRow = -1;
    page->lastSubRow = -1;
}

void BCFtQuotPanel::doSubscibeClicked(const QModelIndex &index)
{
    MarketPage *often = oftenPage();
    if (!often || !m_currentPage || !m_contractCache)
        return;
    const QString id = m_currentPage->dataset.fieldValue(index.row(), QStringLiteral("stkid")).toString();
    const QString name = m_currentPage->dataset.fieldValue(index.row(), QStringLiteral("stkname")).toString();
    if (id.isEmpty() || often->checkedItems.contains(id))
        return;
    often->checkedItems.insert(id, name);
    addContractRow(id, often);
    refreshSubscription(often);
}

void BCFtQuotPanel::doCanelSubscibeClicked(const QModelIndex &index)
{
    MarketPage *often = oftenPage();
    if (!m_contractCache || !often)
        return;
    VDataset &ds = often->dataset;
    const int row = index.row();
    if (row < 0 || row >= ds.recordCount()) {
        VMsgDlg::info(QStringLiteral("删除自选合约行情失败"), QString(), Qt::WindowModal);
        return;
    }
    const QString id = ds.fieldValue(row, QStringLiteral("stkid")).toString();
    const QString code = ds.fieldValue(row, QStringLiteral("stkcode")).toString();
    const QString market = ds.fieldValue(row, QStringLiteral("market")).toString();
    often->rowIndex.remove(SecurityId::of(market, code));
    if (ds.remove(row)) {
        often->model.refreshModel();
        often->checkedItems.remove(id);
        rebuildRowIndex(often);
        refreshSubscription(often);
    }
}

void BCFtQuotPanel::doBtnClicked()
{
    MarketPage *old = m_currentPage;
    for (MarketPage *page : qAsConst(m_pageOrder)) {
        if (page->button && page->button->isChecked()) {
            m_currentPage = page;
            break;
        }
    }
    if (!m_currentPage)
        return;
    m_stack->setCurrentWidget(m_currentPage->pageWidget);
    refreshSubscription(m_currentPage);
    if (old && old != m_currentPage)
        unsubscribePage(old, false);
    subscribePage(m_currentPage);
}

void BCFtQuotPanel::refreshSubscription(MarketPage *page)
{
    if (!page)
        return;
    QTableView *table = page->table;
    const VDataset &ds = page->dataset;
    const int n = ds.recordCount();
    const int first = table->indexAt(QPoint(0, 0)).row();
    int last;
    if (!table->verticalScrollBar()->isVisible())
        last = page->model.index(n - 1, 0).row();
    else
        last = table->indexAt(QPoint(0, table->verticalScrollBar()->height())).row();
    if (last < 0)
        last = n - 1;
    if (first > last || last < 0 || first >= n)
        return;
    if (first == page->firstSubRow && last == page->lastSubRow)
        return;

    page->refreshing = true;
    ScopeGuard close([this, page] {
        if (page->refreshing) {
            page->refreshing = false;
            commitSubscription(page);
        }
        if (m_currentPage && !m_currentPage->subscribed)
            subscribePage(m_currentPage);
    });
    auto product = [&ds](int row) {
        const QByteArray code = ds.fieldValue(row, QStringLiteral("stkcode")).toString().toUtf8();
        return SecurityId(vf::strToChar(ds.fieldValue(row, QStringLiteral("market")).toString()), code.constData(),
                          code.size());
    };
    const int oldFirst = page->firstSubRow;
    const int oldLast = page->lastSubRow;
    if (oldFirst == -1 || oldLast == -1) {
        removeAllProducts(page);
    } else {
        for (int row = oldFirst; row <= oldLast; ++row) {
            if ((row < first || row > last) && row >= 0 && row < n)
                removeProduct(page->subscriber, product(row));
        }
    }
    for (int row = first; row <= last; ++row) {
        const bool inOld = oldFirst != -1 && oldLast != -1 && row >= oldFirst && row <= oldLast;
        if (!inOld && row >= 0 && row < n)
            addProduct(page->subscriber, product(row));
    }
    page->firstSubRow = first;
    page->lastSubRow = last;
}

void BCFtQuotPanel::commitSubscription(MarketPage *page)
{
    if (!page->subscriber || !page->subscribed)
        return;
    page->resubscribing = true;
    ScopeGuard done([page] { page->resubscribing = false; });
    unsubscribePage(page, false);
    subscribePage(page);
    log(0, __LINE__, QStringLiteral("刷新后订阅列表:【%1】").arg(page->subscriber->productList().join(QLatin1Char(';'))));
}

bool BCFtQuotPanel::subscribePage(MarketPage *page)
{
    if (!page->subscriber || page->subscribed)
        return true;
    page->subscribedSet = productsOf(page->subscriber);
    page->subscribed = tarn::hostContext()->quotMgr()->subscribe(page->subscriber);
    log(0, __LINE__,
        QStringLiteral("期货行情面板行情订阅者【%1】订阅列表:【%2】")
            .arg(page->subscriber->subName(), page->subscriber->productList().join(QLatin1Char(';'))));
    return page->subscribed;
}

bool BCFtQuotPanel::unsubscribePage(MarketPage *page, bool clearList)
{
    if (!page->subscriber || !page->subscribed)
        return true;
    VQuotSubscriber *subscriber = page->subscriber;
    const QHash<QString, SecurityId> kept = productsOf(subscriber);
    removeAllProducts(page);
    // Exactly what was subscribed is unsubscribed.
    for (const SecurityId &contract : qAsConst(page->subscribedSet))
        addProduct(subscriber, contract);
    page->subscribedSet.clear();
    const bool ok = tarn::hostContext()->quotMgr()->unsubscribe(subscriber);
    page->subscribed = !ok;
    log(0, __LINE__,
        QStringLiteral("期货行情面板行情订阅者【%1】解除订阅列表:【%2】")
            .arg(subscriber->subName(), subscriber->productList().join(QLatin1Char(';'))));
    if (page->subscribed)
        page->subscribed = !subscriber->productList().isEmpty();
    removeAllProducts(page);
    if (!clearList) {
        for (const SecurityId &contract : kept)
            addProduct(subscriber, contract);
    }
    return !page->subscribed;
}

void BCFtQuotPanel::removeAllProducts(MarketPage *page)
{
    for (const SecurityId &contract : productsOf(page->subscriber))
        removeProduct(page->subscriber, contract);
}

void BCFtQuotPanel::doTbvScrollBarValueChanged(int)
{
    if (!m_currentPage)
        return;
    QTimer &timer = m_currentPage->refreshTimer;
    if (timer.isActive()) {
        timer.stop();
        timer.start();
    } else {
        timer.start(ScrollDebounceMs);
    }
}

void BCFtQuotPanel::doRefreshQuotSubProducts()
{
    auto *timer = qobject_cast<QTimer *>(sender());
    if (!timer)
        return;
    for (MarketPage *page : qAsConst(m_pageOrder)) {
        if (page->refreshTimer.timerId() == timer->timerId()) {
            timer->stop();
            refreshSubscription(page);
            return;
        }
    }
}

void BCFtQuotPanel::doSortIndicatorChanged()
{
    auto *header = qobject_cast<QHeaderView *>(sender());
    if (!header)
        return;
    for (MarketPage *page : qAsConst(m_pageOrder)) {
        if (page->table->horizontalHeader() == header) {
            rebuildRowIndex(page);
            refreshSubscription(page);
            return;
        }
    }
}

void BCFtQuotPanel::doRecvSubscribeQuot(VQuotData *pQuotData)
{
    if (!pQuotData)
        return;
    const SecurityId contract = SecurityId::of(*pQuotData);
    log(0, __LINE__, QStringLiteral("期货行情面板接收到行情:【%1|%2】").arg(contract.marketText(), contract.codeText()));
    // A record without data must not replace a waiting one.
    if (pQuotData->status != 0 && m_currentPage && m_currentPage->rowIndex.contains(contract)
        && !m_currentPage->resubscribing)
        m_quotes->add(*pQuotData);
}

void BCFtQuotPanel::applyQuotes()
{
    // The page shown may have changed since the records came; applyQuote
    // finds no row for a contract it does not show.
    for (const VQuotData &record : m_quotes->take()) {
        if (m_currentPage && !m_currentPage->resubscribing)
            applyQuote(record, m_currentPage);
    }
}

void BCFtQuotPanel::applyQuote(const VQuotData &record, MarketPage *page)
{
    if (record.status == 0)
        return;
    const int row = page->rowIndex.value(SecurityId::of(record), -1);
    if (row < 0 || row >= page->dataset.recordCount())
        return;
    // A value that is no finite number is no quote; the cell keeps its last one.
    auto number = [](double value) { return std::isfinite(value) ? QVariant(value) : QVariant(); };
    // The record's ratio is a fraction; the column "涨跌幅(%)" holds percent.
    const QVariant values[] = {number(record.lastPrice),
                               number(record.priceChange),
                               number(record.priceChangeRatio * 100.0),
                               number(record.bidPrice[0]),
                               QVariant(uint(record.bidVolume[0])),
                               number(record.askPrice[0]),
                               QVariant(uint(record.askVolume[0])),
                               QVariant(qint64(record.matchQuantity)),
                               number(record.openingPrice),
                               number(record.preSettlementPrice),
                               number(record.highPrice),
                               number(record.lowPrice),
                               QVariant(qint64(record.openInterest))};
    static_assert(std::size(values) == std::size(QuoteFields), "a value for every quote field");
    for (int i = 0; i < page->quoteFields.size(); ++i)
        setFieldFlashing(&page->dataset, &page->model, row, page->quoteFields.at(i), values[i]);
}

void BCFtQuotPanel::setFieldFlashing(VDataset *dataset, VFQTableModel *model, int row, int field,
                                     const QVariant &value)
{
    if (!dataset || !model)
        return;
    const VField *definition = dataset->fields()->at(field);
    if (!definition)
        return;
    const QVariant old = dataset->fieldValue(row, field);
    if (old.isNull()) {
        dataset->setFieldValue(row, field, value.isValid() ? value : QVariant(QStringLiteral("--")));
        return;
    }
    if (!value.isValid())
        return;
    switch (definition->dataType()) {
    case vd::DT_Integer:
        if (value.toInt() != old.toInt()) {
            dataset->setFieldValue(row, field, value);
            model->flashField(row, field);
        }
        break;
    case vd::DT_Double:
        if (std::fabs(value.toDouble() - old.toDouble()) >= 1e-8) {
            dataset->setFieldValue(row, field, value);
            model->flashField(row, field);
        }
        break;
    default: dataset->setFieldValue(row, field, value); break;
    }
}

void BCFtQuotPanel::doDoubleClickedQuotData(const QModelIndex &index)
{
    auto *table = qobject_cast<QTableView *>(sender());
    auto *model = table ? qobject_cast<VTableModel *>(table->model()) : nullptr;
    if (!model || !model->dataset())
        return;
    const int row = index.row();
    if (row >= 0 && row < model->dataset()->recordCount())
        emit onSelectedFtContract(model->dataset()->fieldValue(row, QStringLiteral("stkid")).toString());
}
