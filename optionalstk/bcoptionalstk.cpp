#include "bcoptionalstk.h"

#include "addstkdlg.h"
#include "changegroupdlg.h"

#include <livetableview.h>

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vconfig.h>
#include <vcontrolbar.h>
#include <vdatadict.h>
#include <vlocaldb.h>
#include <vmsgdlg.h>
#include <voutput.h>
#include <vpanel.h>
#include <vquotdata.h>
#include <vquotsubscriber.h>
#include <vstockedit.h>
#include <vstockhelper.h>
#include <vstylemgr.h>
#include <vtabbutton.h>

#include <QAction>
#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLoggingCategory>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QTableView>
#include <QTime>
#include <QToolButton>
#include <QVBoxLayout>


Q_LOGGING_CATEGORY(lcOptionalStk, "tarn.optionalstk", QtInfoMsg)

namespace {

const int TabWidth = 88;
const int TabHeight = 24;
// A tab and the control bar's spacing of 1.
const int TabPitch = TabWidth + 1;
const int SectionSize = 69;
const QString StockFields = QStringLiteral("market;stkid;stkcode;stkname;stktype");

QSqlDatabase localDatabase()
{
    IHostContext *host = tarn::hostContext();
    VLocalDb *db = host && host->config() ? host->config()->cfgLocalDb() : nullptr;
    return db ? db->database() : QSqlDatabase();
}

// A modal box runs the event loop, in which the host may free the
// watchlist. These tell the caller whether it is still there; when it is
// gone, the caller touches nothing of it.
bool info(QObject *watchlist, const QString &text)
{
    const QPointer<QObject> alive(watchlist);
    VMsgDlg::info(text, QString(), Qt::WindowModal);
    return alive;
}

enum class Answer { Yes, No, Gone };

Answer ask(QObject *watchlist, const QString &text)
{
    const QPointer<QObject> alive(watchlist);
    const bool yes = VMsgDlg::confirm(text);
    return !alive ? Answer::Gone : yes ? Answer::Yes : Answer::No;
}

// The first byte of a market text in the local 8-bit encoding; 0 for none.
char marketChar(const QString &market)
{
    const QByteArray bytes = market.toLocal8Bit();
    return bytes.isEmpty() ? '\0' : bytes.at(0);
}

QString timeTrace()
{
    return QTime::currentTime().toString(QStringLiteral("ss.zzz"));
}

} // namespace

void BCOptionalStk::Form::setupUi(QWidget *component)
{
    component->setObjectName(QStringLiteral("BCOptionalStk"));
    verticalLayout = new QVBoxLayout(component);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    panel = new VPanel(component);
    panel->setObjectName(QStringLiteral("panel"));
    horizontalLayout_2 = new QHBoxLayout(panel);
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    horizontalLayout_2->setSpacing(1);
    horizontalLayout_2->setContentsMargins(2, 2, 0, 0);
    controlBar = new VControlBar(panel);
    controlBar->setObjectName(QStringLiteral("controlBar"));
    horizontalLayout_2->addWidget(controlBar);
    btnAddGrp = new QToolButton(panel);
    btnAddGrp->setObjectName(QStringLiteral("btnAddGrp"));
    btnAddGrp->setMinimumSize(24, 24);
    btnAddGrp->setToolTip(QStringLiteral("<b>添加分组</b>"));
    horizontalLayout_2->addWidget(btnAddGrp);
    btnAddStk = new QToolButton(panel);
    btnAddStk->setObjectName(QStringLiteral("btnAddStk"));
    btnAddStk->setMinimumSize(24, 24);
    btnAddStk->setToolTip(QStringLiteral("<b>添加自选股</b>"));
    horizontalLayout_2->addWidget(btnAddStk);
    horizontalSpacer = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout_2->addItem(horizontalSpacer);
    verticalLayout->addWidget(panel);

    stackedWidget = new QStackedWidget(component);
    stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    verticalLayout->addWidget(stackedWidget);
}

BCOptionalStk::BCOptionalStk(QWidget *parent, QString className, const QString &identity,
                             const QMap<QString, QVariant> *)
    : IComponent(parent, className, identity)
    , m_store(localDatabase())
    , m_quotes(&m_allRows, &m_shownRows, &m_model)
{
    qRegisterMetaType<OrderDetail>("OrderDetail");
    m_subscriber = new VQuotSubscriber(this, QStringLiteral("自选股"));
    m_subscriber->setRecvSlot(this, "1doRecvSubscribe(VQuotData*)");
    m_ui.setupUi(this);

    m_store.initDefaultGroup();
    m_store.loadGroups();
    initUi();

    connect(m_addStkAction, &QAction::triggered, this, &BCOptionalStk::AddCurrentGStk);
    connect(m_delStkAction, &QAction::triggered, this, &BCOptionalStk::DeleteCurrentGStk);
    connect(m_tabGroup, QOverload<QAbstractButton *>::of(&QButtonGroup::buttonClicked), this,
            &BCOptionalStk::setCurrentIndex);
    connect(m_ui.btnAddGrp, &QToolButton::clicked, this, &BCOptionalStk::AddCurrentG);
    connect(m_ui.btnAddStk, &QToolButton::clicked, this, &BCOptionalStk::AddCurrentGStk);

    initDataset();
    combinedataset();
    followStyle();
}

BCOptionalStk::~BCOptionalStk()
{
    m_subscriber->unsubscribe(true);
    delete m_subscriber;
}

void BCOptionalStk::followStyle()
{
    VStyleMgr *styles = tarn::hostContext()->styleMgr();
    if (!styles)
        return;
    const auto readColours = [this, styles] {
        StkModel::Colours colours;
        colours.code = styles->colorRes(QStringLiteral("Stk_Code_Font_Color"));
        colours.rise = styles->colorRes(QStringLiteral("Stk_Rise_Color"));
        colours.fall = styles->colorRes(QStringLiteral("Stk_Fall_Color"));
        m_model.setColours(colours);
    };
    readColours();
    connect(styles, &VStyleMgr::onSystemStyleChanged, this, readColours);
}

void BCOptionalStk::initUi()
{
    VControlBar *bar = m_ui.controlBar;
    bar->setObjectName(QStringLiteral("downWidget"));
    bar->setScrollButtonsAlwaysShown(false);
    bar->setScrollButtonSize(16);
    bar->setSpacing(1);
    bar->setDeleteOnRemove(true);
    bar->layout()->setContentsMargins(0, 0, 0, 0);
    bar->setMinimumHeight(24);
    bar->setForwardIcon(QIcon(QStringLiteral(":/vexa/img/icon/scroll_left")));
    bar->setBackIcon(QIcon(QStringLiteral(":/vexa/img/icon/scroll_right")));
    m_ui.btnAddGrp->setIcon(QIcon(QStringLiteral(":/vexa/img/icon/add_group")));
    m_ui.btnAddGrp->setIconSize(QSize(16, 16));
    m_ui.btnAddStk->setIcon(QIcon(QStringLiteral(":/vexa/img/icon/add_detail")));
    m_ui.btnAddStk->setIconSize(QSize(16, 16));

    m_addStkAction = new QAction(QStringLiteral("添加自选股"), this);
    m_delStkAction = new QAction(QStringLiteral("删除自选股"), this);
    // The Delete key deletes the selected rows while the watchlist has the focus.
    m_delStkAction->setShortcut(QKeySequence::Delete);
    m_delStkAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(m_delStkAction);
    m_tabCount = 0;
    m_tabGroup = new QButtonGroup(this);

    const QStringList names = m_store.groupNames();
    for (const QString &name : names)
        makeGroupTab(name);
    if (!m_tabs.isEmpty()) {
        m_tabs.constFirst()->setChecked(true);
        m_ui.stackedWidget->setCurrentIndex(0);
    }
}

void BCOptionalStk::makeGroupTab(const QString &name)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    auto *grid = new QGridLayout(page);
    grid->setObjectName(QStringLiteral("gridLayout_2"));
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    auto *view = new LiveTableView(page);
    // The model announces a quote's whole row: of its cells, those whose
    // text, colour or button state changed are repainted (fonts and
    // alignment are fixed per column).
    view->setLookRoles({Qt::DisplayRole, Qt::ForegroundRole, Qt::UserRole});
    view->horizontalHeader()->setHighlightSections(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSortingEnabled(true);
    grid->addWidget(view, 0, 0, 1, 1);
    m_ui.stackedWidget->addWidget(page);
    // A double-click on a row asks for an order ticket; one on the delete
    // button is a click on the button, not a request for an order.
    connect(view, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.column() != StkModel::DeleteButton)
            RowDoubleClicked(index);
    });

    // The control bar takes the tab into its row.
    auto *tab = new VTabButton;
    tab->installEventFilter(this);
    tab->setFixedSize(TabWidth, TabHeight);
    tab->setText(name);
    tab->setCheckable(true);
    tab->setAutoRaise(true);
    tab->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    tab->addInternalButton(QString::number(m_tabCount), vd::AP_Right, QPoint(6, 0),
                           QStringLiteral(":/vexa/img/icon/tab_close"), QStringLiteral(":/vexa/img/icon/tab_close_h"),
                           true, true);
    connect(tab, &VTabButton::onInternalButtonClicked, this, &BCOptionalStk::doInternalButtonClicked);
    connect(view->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &BCOptionalStk::sortslot);

    m_tabGroup->addButton(tab, m_tabCount);
    ++m_tabCount;
    m_ui.controlBar->addWidget(tab);
    m_ui.controlBar->setMaximumWidth(m_tabCount * TabPitch);

    m_pages.insert(name, page);
    m_views.insert(page, view);
    m_tabs.append(tab);
}

void BCOptionalStk::removeGroupTab(int position)
{
    VTabButton *tab = m_tabs.at(position);
    m_tabGroup->removeButton(tab);
    --m_tabCount;
    m_ui.controlBar->setMaximumWidth(m_tabCount * TabPitch);
    if (QWidget *page = m_pages.take(tab->text())) {
        m_ui.stackedWidget->removeWidget(page);
        m_views.remove(page);
        delete page;
    }
    // Deleted later by the bar: the tab's own close button may be the sender.
    m_ui.controlBar->removeWidget(tab);
    m_tabs.removeAt(position);
}

void BCOptionalStk::switchToTab(int position)
{
    VTabButton *tab = m_tabs.at(position);
    tab->setChecked(true);
    setCurrentIndex(tab);
}

void BCOptionalStk::attachModel(QTableView *view)
{
    if (!view)
        return;
    view->setItemDelegate(&m_delegate);
    view->setMouseTracking(true);
    view->setModel(&m_model);
    view->hideColumn(StkModel::Market);
    view->hideColumn(StkModel::StkId);
    view->hideColumn(StkModel::StkType);

    QHeaderView *header = view->horizontalHeader();
    header->setDefaultSectionSize(SectionSize);
    header->setDefaultAlignment(Qt::AlignCenter);
    {
        // Resetting the indicator (onto the hidden market column) only shows
        // that the rows stand in their stored order; it asks for no sort.
        const QSignalBlocker blocker(header);
        header->setSortIndicator(StkModel::Market, Qt::AscendingOrder);
    }
    header->setSortIndicatorShown(true);
    header->setSectionsClickable(true);
}

QString BCOptionalStk::currentGroup() const
{
    const QWidget *page = m_ui.stackedWidget->currentWidget();
    return page ? page->objectName() : QString();
}

QTableView *BCOptionalStk::currentView() const
{
    return m_views.value(m_ui.stackedWidget->currentWidget());
}

VCacheItem *BCOptionalStk::stockCache() const
{
    return tarn::hostContext()->cacheMgr()->stockCache();
}

bool BCOptionalStk::stockRow(VCacheItem *cache, const QString &id, StkModel::Row &row) const
{
    QVariantMap record;
    if (!cache || !cache->lookup(record, QStringLiteral("stkid"), id, StockFields))
        return false;
    row.clear();
    row.reserve(StkModel::ColumnCount);
    row << record.value(QStringLiteral("market")).toString() << record.value(QStringLiteral("stkid")).toString()
        << record.value(QStringLiteral("stkcode")).toString() << record.value(QStringLiteral("stkname")).toString();
    for (int column = StkModel::Last; column <= StkModel::LimitDown; ++column)
        row << QStringLiteral("0.00");
    row << QStringLiteral("0") << record.value(QStringLiteral("stktype")).toString();
    return true;
}

QString BCOptionalStk::marketName(const QString &market) const
{
    return tarn::hostContext()->dataDict()->transDictItem(QStringLiteral("4"), market, ',');
}

void BCOptionalStk::initDataset()
{
    m_subscriber->unsubscribe(true);
    m_subscriber->clear();

    m_model.setHorizontalHeaderLabels(StkModel::headerLabels());
    m_delegate.setButtonColumn(StkModel::DeleteButton);
    m_model.setTextlessColumn(StkModel::DeleteButton);
    m_model.setRowSource(&m_shownRows);
    connect(&m_delegate, &StkDelegate::btnclicked, this, &BCOptionalStk::delCurrentStk);
    connect(&m_delegate, &StkDelegate::mousein, this, &BCOptionalStk::domousein);
    connect(&m_delegate, &StkDelegate::mouseout, this, &BCOptionalStk::domouseout);
    attachModel(currentView());

    qCDebug(lcOptionalStk).noquote() << QStringLiteral("订阅开始") << timeTrace();
    // Every security once, however many groups hold it.
    QStringList ids;
    QSet<QString> seen;
    for (const QString &list : m_store.groups()) {
        const QStringList entries = GroupStore::entries(list);
        for (const QString &id : entries) {
            if (!seen.contains(id)) {
                seen.insert(id);
                ids.append(id);
            }
        }
    }

    VCacheItem *cache = stockCache();
    if (!cache && !ids.isEmpty())
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("证券缓存不可用, 自选股无法显示"));
    for (const QString &id : qAsConst(ids)) {
        StkModel::Row row;
        if (!stockRow(cache, id, row)) {
            if (cache) {
                VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                        QStringLiteral("自选股[%1]不在证券缓存中, 不显示").arg(id));
            }
            continue;
        }
        m_allRows.append(row);
        m_quotes.allRowAppended();
        if (!m_subscriber->addProduct(marketChar(row.at(StkModel::Market)), row.at(StkModel::Code))) {
            VMsgDlg::error(QStringLiteral("证券<font color='red'>[%1|%2]</font>订阅行情失败!")
                               .arg(marketName(row.at(StkModel::Market)), row.at(StkModel::Name)),
                           QString(), Qt::ApplicationModal);
        }
    }
    if (!ids.isEmpty())
        m_subscriber->subscribe();
    qCDebug(lcOptionalStk).noquote() << QStringLiteral("订阅结束") << timeTrace();
}

void BCOptionalStk::combinedataset()
{
    m_shownRows.clear();
    const QStringList ids = GroupStore::entries(m_store.groups().value(currentGroup()));

    VCacheItem *cache = stockCache();
    const QString owner = QStringLiteral("BCOptionalStk::combinedataset()");
    const bool locked = cache && cache->readLock(owner);
    for (const QString &id : ids) {
        StkModel::Row row;
        if (!stockRow(cache, id, row))
            continue;
        // A security seen before brings its latest quote along.
        const int known = m_quotes.allRowOfId(id);
        if (known >= 0) {
            row = m_allRows.at(known);
        } else {
            m_allRows.append(row);
            m_quotes.allRowAppended();
        }
        m_shownRows.append(row);
    }
    m_quotes.shownRowsChanged();
    if (locked)
        cache->unlock(owner);
    m_model.refresh();
}

void BCOptionalStk::refreshdata()
{
    m_store.loadGroups();
    combinedataset();
    attachModel(currentView());
}

void BCOptionalStk::doRecvSubscribe(VQuotData *pQuotData)
{
    if (pQuotData && pQuotData->status != 0)
        m_quotes.add(*pQuotData);
}

void BCOptionalStk::AddCurrentG()
{
    const int tabsBefore = m_tabCount;
    auto *dialog = new ChangeGroupDlg(this);
    m_groupDlg = dialog;
    dialog->setWindowTitle(QStringLiteral("添加新的分组"));
    connect(dialog, &ChangeGroupDlg::sendGroupName, this, &BCOptionalStk::addgroupname);
    dialog->setText(QStringLiteral("自选股"));
    const QPointer<BCOptionalStk> alive(this);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (alive && accepted && m_tabCount != tabsBefore && !m_tabs.isEmpty())
        switchToTab(m_tabs.size() - 1);
}

void BCOptionalStk::addgroupname(const QString &data)
{
    if (m_store.groups().contains(data)) {
        if (!info(this, QStringLiteral("分组名已存在!")))
            return;
        closeGroupDialog();
        AddCurrentG();
        return;
    }
    if (data.contains(QLatin1Char(' '))) {
        if (!info(this, QStringLiteral("分组名称不能为空！")))
            return;
        closeGroupDialog();
        AddCurrentG();
        return;
    }
    // The table decides: a group it did not take (a read-only database) gets no tab.
    m_store.saveGroupStk(data, QString());
    m_store.loadGroups();
    if (!m_store.groups().contains(data)) {
        VMsgDlg::error(QStringLiteral("分组<font color='red'>[%1]</font>保存失败!").arg(data), QString(),
                       Qt::WindowModal);
        return;
    }
    makeGroupTab(data);
}

void BCOptionalStk::ChangeCurrentG()
{
    const QWidget *page = m_ui.stackedWidget->currentWidget();
    if (!page)
        return;
    auto *dialog = new ChangeGroupDlg(this);
    m_groupDlg = dialog;
    dialog->setWindowTitle(QStringLiteral("修改当前分组名称"));
    connect(dialog, &ChangeGroupDlg::sendGroupName, this, &BCOptionalStk::changegroupname);
    dialog->setText(page->objectName());
    dialog->exec();
}

void BCOptionalStk::changegroupname(const QString &data)
{
    if (data.contains(QLatin1Char(' '))) {
        if (info(this, QStringLiteral("分组名称不能为空！")))
            m_store.loadGroups();
        return;
    }
    if (m_store.groups().contains(data)) {
        if (!info(this, QStringLiteral("分组名已存在!")))
            return;
        closeGroupDialog();
        ChangeCurrentG();
        return;
    }
    const int position = m_ui.stackedWidget->currentIndex();
    QWidget *page = m_ui.stackedWidget->currentWidget();
    if (!page || position >= m_tabs.size())
        return;
    const QString oldName = page->objectName();
    m_store.renameGroup(oldName, data);
    m_pages.remove(oldName);
    m_pages.insert(data, page);
    page->setObjectName(data);
    m_tabs.at(position)->setText(data);
    m_store.loadGroups();
}

void BCOptionalStk::closeGroupDialog()
{
    if (m_groupDlg)
        m_groupDlg->close();
}

void BCOptionalStk::doInternalButtonClicked(const QString &)
{
    const int position = m_tabs.indexOf(qobject_cast<VTabButton *>(sender()));
    if (position >= 0)
        DeleteCurrentG(position);
}

void BCOptionalStk::DeleteCurrentG(int sPos)
{
    if (sPos < 0 || sPos >= m_tabs.size())
        return;
    const int current = m_ui.stackedWidget->currentIndex();
    const int tabsBefore = m_tabCount;
    const QString name = m_tabs.at(sPos)->text();
    if (ask(this, QStringLiteral("删除当前组<font color='red'>[%1]</font>?").arg(name)) != Answer::Yes)
        return;
    m_store.deleteGroupStk(name, QString());
    removeGroupTab(sPos);
    m_store.loadGroups();

    // A deleted current group hands over to its left neighbour, or to the new first tab.
    if (m_tabCount == tabsBefore || sPos != current)
        return;
    if (sPos >= 1)
        switchToTab(sPos - 1);
    else if (!m_tabs.isEmpty())
        switchToTab(0);
}

void BCOptionalStk::setCurrentIndex(QAbstractButton *button)
{
    const int position = m_tabs.indexOf(qobject_cast<VTabButton *>(button));
    if (position < 0)
        return;
    m_ui.stackedWidget->setCurrentIndex(position);
    m_store.loadGroups();
    combinedataset();
    attachModel(currentView());
}

void BCOptionalStk::AddCurrentGStk()
{
    if (m_tabs.isEmpty()) {
        info(this, QStringLiteral("未创建分组!"));
        return;
    }
    auto *dialog = new AddStkDLG(this);
    connect(dialog, &AddStkDLG::sendData, this, &BCOptionalStk::receiveStk);
    dialog->show();
}

void BCOptionalStk::receiveStk(const QString &data, char Market, const QString &stkcode)
{
    // An id is one entry of a group's list: it can neither be empty nor hold the separator.
    if (data.isEmpty() || data.contains(QLatin1Char(','))) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("无效的证券内码[%1], 未加入自选股").arg(data));
        return;
    }
    m_store.loadGroups();
    const QString group = currentGroup();
    if (group.isEmpty() || !m_store.groups().contains(group)) {
        info(this, QStringLiteral("未创建分组!"));
        return;
    }
    if (!GroupStore::entries(m_store.groups().value(group)).contains(data)) {
        m_store.saveGroupStk(group, data);
        m_store.loadGroups();
        combinedataset();
        if (!m_subscriber->addProduct(Market, stkcode)) {
            // The security's name through the host's look-up, for the message only.
            VStockEdit edit;
            if (VStockHelper *helper = tarn::hostContext()->stockHelper()) {
                helper->connectStockEdit(&edit);
                edit.selectStock(data);
            }
            VMsgDlg::error(QStringLiteral("证券<font color = 'red'>[%1|%2]</font>订阅行情失败!")
                               .arg(marketName(QString::fromLocal8Bit(&Market, 1)), edit.getStockName()),
                           QString(), Qt::ApplicationModal);
        }
        m_subscriber->subscribe();
    }

    QTableView *view = currentView();
    const int row = m_quotes.shownRowOfId(data);
    if (view && view->model() == &m_model && row >= 0) {
        view->selectRow(row);
        view->scrollTo(m_model.index(row, StkModel::Code));
    }
}

void BCOptionalStk::delCurrentStk(const QModelIndex &index)
{
    if (currentView() && index.isValid() && index.model() == &m_model && index.row() < m_shownRows.size()) {
        const int position = index.row();
        const StkModel::Row row = m_shownRows.at(position);
        const QString id = row.value(StkModel::StkId);
        const Answer answer = id.isEmpty()
            ? Answer::No
            : ask(this, QStringLiteral("删除当前组内股票<font color='red'>[%1|%2]</font>?")
                            .arg(marketName(row.value(StkModel::Market)), row.value(StkModel::Name)));
        if (answer == Answer::Gone)
            return;
        if (answer == Answer::Yes) {
            m_store.deleteGroupStk(currentGroup(), id);
            m_store.loadGroups();
            // The security stays in all rows and stays subscribed.
            m_shownRows.removeAt(position);
            m_quotes.shownRowsChanged();
        }
    }
    m_model.refresh();
}

void BCOptionalStk::DeleteCurrentGStk()
{
    QTableView *view = currentView();
    if (!view) {
        info(this, QStringLiteral("未创建分组!"));
        return;
    }
    const QModelIndexList selected = view->model() == &m_model && view->selectionModel()
        ? view->selectionModel()->selectedRows()
        : QModelIndexList();
    if (selected.isEmpty()) {
        info(this, QStringLiteral("未选中股票!"));
        return;
    }
    QString ids;
    QString labels;
    for (const QModelIndex &index : selected) {
        const StkModel::Row &row = m_shownRows.at(index.row());
        ids += row.value(StkModel::StkId) + QLatin1Char(',');
        labels += QStringLiteral("[%1|%2]").arg(marketName(row.value(StkModel::Market)), row.value(StkModel::Name));
    }
    const Answer answer = ask(this, QStringLiteral("删除当前组内股票<font color='red'>%1</font>?").arg(labels));
    if (answer == Answer::Gone)
        return;
    if (answer == Answer::Yes) {
        m_store.deleteGroupStk(currentGroup(), ids);
        m_store.loadGroups();
        combinedataset();
        attachModel(view);
    }
    m_model.refresh();
}

void BCOptionalStk::RowDoubleClicked(const QModelIndex &index)
{
    if (!index.isValid() || index.row() >= m_shownRows.size())
        return;
    const StkModel::Row &row = m_shownRows.at(index.row());
    OrderDetail order;
    order.stockId = row.value(StkModel::StkId);
    order.stockCode = row.value(StkModel::Code);
    order.stockType = row.value(StkModel::StkType);
    emit onIssueOrder(order);
}

void BCOptionalStk::sortslot(int column, Qt::SortOrder order)
{
    // The securities selected before the sort are selected again after it.
    QStringList selected;
    QTableView *view = currentView();
    if (view && view->model() == &m_model && view->selectionModel()) {
        for (const QModelIndex &index : view->selectionModel()->selectedRows())
            selected << m_shownRows.value(index.row()).value(StkModel::StkId);
    }
    m_model.sortdata(column, order);
    m_quotes.shownRowsChanged();
    m_model.refresh();
    for (const QString &id : qAsConst(selected)) {
        const int row = m_quotes.shownRowOfId(id);
        if (row >= 0)
            view->selectionModel()->select(m_model.index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

void BCOptionalStk::domousein(const QModelIndex &)
{
    setCursor(Qt::PointingHandCursor);
}

void BCOptionalStk::domouseout(const QModelIndex &)
{
    setCursor(Qt::ArrowCursor);
}

bool BCOptionalStk::eventFilter(QObject *watched, QEvent *event)
{
    if (m_tabs.contains(qobject_cast<VTabButton *>(watched))) {
        if (event->type() != QEvent::MouseButtonDblClick)
            return false;
        ChangeCurrentG();
        return true;
    }
    return IComponent::eventFilter(watched, event);
}

void BCOptionalStk::contextMenuEvent(QContextMenuEvent *)
{
    // Parented to the component, so it goes with it even while it is open.
    QPointer<QMenu> menu = new QMenu(this);
    menu->addAction(m_addStkAction);
    menu->addSeparator();
    menu->addAction(m_delStkAction);
    menu->exec(QCursor::pos());
    delete menu;
}
