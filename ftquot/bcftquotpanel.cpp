#include "bcftquotpanel.h"

#include "ftquotlog.h"
#include "marketpage.h"
#include "productmenus.h"
#include "storedchoices.h"
#include "visiblerowsubscription.h"

#include <livetableview.h>

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vbusiness.h>
#include <vbuttondelegate.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vmsgdlg.h>
#include <vpanel.h>
#include <vquotdata.h>
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

#include <functional>

namespace {

const QString OftenMarket = QStringLiteral("*");
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
    , m_window(new VisibleRowSubscription(this))
{
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
    StoredChoices::save(m_cfgParams, m_pageOrder, m_window->currentPage());
    for (MarketPage *page : qAsConst(m_pageOrder)) {
        m_window->release(page);
        delete page->subscriber;
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
    QString market;
    if (!StoredChoices::load(m_cfgParams, m_pageOrder, &market))
        return;
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
        page->buildDataset();
        VButtonDelegate *delegate = page->often ? m_delDelegate : m_addDelegate;
        const int column = page->model.colIndexByFieldName(QStringLiteral("subscribe"));
        delegate->setDelegateColumn(column, false, false);
        page->table->setItemDelegateForColumn(column, delegate);
        page->dataset.open();
        page->model.setFlashEnabled(true);
        page->model.setFlashDuration(600);
    }
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
                if (page == m_window->currentPage())
                    doTbvScrollBarValueChanged(0);
            },
            page->table));
    }
    connect(m_addDelegate, &VButtonDelegate::onButtonClicked, this, &BCFtQuotPanel::doSubscibeClicked);
    connect(m_delDelegate, &VButtonDelegate::onButtonClicked, this, &BCFtQuotPanel::doCanelSubscibeClicked);
}

MarketPage *BCFtQuotPanel::oftenPage() const
{
    return m_pages.value(OftenMarket);
}

int BCFtQuotPanel::today() const
{
    return tarn::hostContext()->business()->sysDate();
}

void BCFtQuotPanel::doFtContractDynCacheUpdated()
{
    if (!m_contractCache || !m_contractCache->isNormal()) {
        ftQuotLog(3, __LINE__, QStringLiteral("期货行情面板:期货合约动态缓存异常."));
        return;
    }
    ProductMenus::loadContracts(m_contractCache, m_pages);
    loadOftenContracts();
    // A restored check adds its product's rows before the action is
    // connected, so it runs no toggle.
    for (QAction *action : ProductMenus::buildProductMenus(m_pageOrder)) {
        if (action->isChecked())
            addProductRows(action->data().toString(), m_pages.value(action->property(ProductMenus::MarketProperty).toString()));
        connect(action, &QAction::toggled, this, &BCFtQuotPanel::doActCliked);
    }
    doBtnClicked();
}

void BCFtQuotPanel::loadOftenContracts()
{
    MarketPage *often = oftenPage();
    if (!m_contractCache || !often)
        return;
    const QStringList ids = often->checkedItems.keys();
    for (const QString &id : ids)
        often->addContractRow(id, m_contractCache, today());
}

void BCFtQuotPanel::doActCliked()
{
    auto *action = qobject_cast<QAction *>(sender());
    if (!action)
        return;
    MarketPage *page = m_pages.value(action->property(ProductMenus::MarketProperty).toString());
    if (!page)
        return;
    const QString product = action->data().toString();
    if (action->isChecked()) {
        page->checkedItems.insert(product, action->text());
        addProductRows(product, page);
    } else {
        // The removed contracts leave the subscription at once: the window
        // is read again from the rows that are left.
        page->removeProductRows(product, m_contractCache);
        m_window->rowsChanged(page);
        page->checkedItems.remove(product);
    }
}

void BCFtQuotPanel::addProductRows(const QString &productId, MarketPage *page)
{
    // values() lists the most recently inserted contract first.
    for (const QString &contract : page->productContracts.values(productId))
        page->addContractRow(contract, m_contractCache, today());
    m_window->refresh(page);
}

void BCFtQuotPanel::doSubscibeClicked(const QModelIndex &index)
{
    MarketPage *often = oftenPage();
    const MarketPage *shown = m_window->currentPage();
    if (!often || !shown || !m_contractCache)
        return;
    const QString id = shown->dataset.fieldValue(index.row(), QStringLiteral("stkid")).toString();
    const QString name = shown->dataset.fieldValue(index.row(), QStringLiteral("stkname")).toString();
    if (id.isEmpty() || often->checkedItems.contains(id))
        return;
    often->checkedItems.insert(id, name);
    often->addContractRow(id, m_contractCache, today());
    m_window->refresh(often);
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
    often->rowIndex.remove(often->model.securityOfRow(row));
    if (ds.remove(row)) {
        often->model.refreshModel();
        often->checkedItems.remove(id);
        often->rebuildRowIndex();
        m_window->rowsChanged(often);
    }
}

void BCFtQuotPanel::doBtnClicked()
{
    for (MarketPage *page : qAsConst(m_pageOrder)) {
        if (page->button && page->button->isChecked()) {
            m_stack->setCurrentWidget(page->pageWidget);
            m_window->setCurrentPage(page);
            return;
        }
    }
}

void BCFtQuotPanel::doTbvScrollBarValueChanged(int)
{
    MarketPage *page = m_window->currentPage();
    if (!page)
        return;
    QTimer &timer = page->refreshTimer;
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
            m_window->refresh(page);
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
            page->rebuildRowIndex();
            m_window->rowsChanged(page);
            return;
        }
    }
}

void BCFtQuotPanel::doRecvSubscribeQuot(VQuotData *pQuotData)
{
    if (!pQuotData)
        return;
    const SecurityId contract = SecurityId::of(*pQuotData);
    ftQuotLog(0, __LINE__, QStringLiteral("期货行情面板接收到行情:【%1|%2】").arg(contract.marketText(), contract.codeText()));
    m_window->receive(*pQuotData);
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
