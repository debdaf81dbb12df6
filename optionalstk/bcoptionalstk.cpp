#include "bcoptionalstk.h"

#include "addstkdlg.h"
#include "changegroupdlg.h"
#include "stkprompts.h"

#include <latestquotes.h>
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
    , m_rows({this, m_store, m_tabs, m_shownRows, m_quotes, m_model, m_subscriber, [this] {
                  combinedataset();
                  attachModel(m_tabs.currentView());
              }})
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
    connect(m_tabs.buttonGroup(), QOverload<QAbstractButton *>::of(&QButtonGroup::buttonClicked), this,
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
    m_tabs.setup(m_ui.controlBar, m_ui.stackedWidget);
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

    const QStringList names = m_store.groupNames();
    for (const QString &name : names)
        m_tabs.makeGroupTab(name, this);
    if (!m_tabs.tabs().isEmpty())
        m_tabs.showTab(0);
}

void BCOptionalStk::switchToTab(int position)
{
    VTabButton *tab = m_tabs.tabs().at(position);
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
        row << QStringLiteral("--");
    row << QStringLiteral("0") << record.value(QStringLiteral("stktype")).toString();
    return true;
}

void BCOptionalStk::initDataset()
{
    m_subscriber->unsubscribe(true);
    m_subscriber->clear();

    m_model.setHorizontalHeaderLabels(StkModel::headerLabels());
    m_delegate.setButtonColumn(StkModel::DeleteButton);
    m_model.setTextlessColumn(StkModel::DeleteButton);
    m_model.setRowSource(&m_shownRows);
    m_model.setBeforeRowRead([this](int row) { m_quotes.writeShownRow(row); });
    connect(&m_delegate, &StkDelegate::btnclicked, this, &BCOptionalStk::delCurrentStk);
    connect(&m_delegate, &StkDelegate::mousein, this, &BCOptionalStk::domousein);
    connect(&m_delegate, &StkDelegate::mouseout, this, &BCOptionalStk::domouseout);
    attachModel(m_tabs.currentView());

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
                               .arg(StkRowCommands::marketName(row.at(StkModel::Market)), row.at(StkModel::Name)),
                           QString(), Qt::ApplicationModal);
        }
    }
    // The module's records of securities still shown are kept across the
    // unsubscription above: the subscriber's holding is replaced only now.
    LatestQuotes::follow(m_subscriber, !ids.isEmpty() && m_subscriber->subscribe());
    qCDebug(lcOptionalStk).noquote() << QStringLiteral("订阅结束") << timeTrace();
}

void BCOptionalStk::combinedataset()
{
    m_shownRows.clear();
    const QStringList ids = GroupStore::entries(m_store.groups().value(m_tabs.currentGroup()));

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
    attachModel(m_tabs.currentView());
}

void BCOptionalStk::doRecvSubscribe(VQuotData *pQuotData)
{
    if (pQuotData && pQuotData->status != 0)
        m_quotes.add(*pQuotData);
}

void BCOptionalStk::AddCurrentG()
{
    const int tabsBefore = m_tabs.tabCount();
    auto *dialog = new ChangeGroupDlg(this);
    m_groupDlg = dialog;
    dialog->setWindowTitle(QStringLiteral("添加新的分组"));
    connect(dialog, &ChangeGroupDlg::sendGroupName, this, &BCOptionalStk::addgroupname);
    dialog->setText(QStringLiteral("自选股"));
    const QPointer<BCOptionalStk> alive(this);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (alive && accepted && m_tabs.tabCount() != tabsBefore && !m_tabs.tabs().isEmpty())
        switchToTab(m_tabs.tabs().size() - 1);
}

void BCOptionalStk::addgroupname(const QString &data)
{
    if (m_store.groups().contains(data)) {
        if (!StkPrompts::info(this, QStringLiteral("分组名已存在!")))
            return;
        closeGroupDialog();
        AddCurrentG();
        return;
    }
    if (data.contains(QLatin1Char(' '))) {
        if (!StkPrompts::info(this, QStringLiteral("分组名称不能为空！")))
            return;
        closeGroupDialog();
        AddCurrentG();
        return;
    }
    // The table decides: a group it did not take (a read-only database) gets no tab.
    const bool saved = m_store.saveGroupStk(data, QString());
    m_store.loadGroups();
    if (!saved || !m_store.groups().contains(data)) {
        StkPrompts::notSaved(this, data);
        return;
    }
    m_tabs.makeGroupTab(data, this);
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
        if (StkPrompts::info(this, QStringLiteral("分组名称不能为空！")))
            m_store.loadGroups();
        return;
    }
    if (m_store.groups().contains(data)) {
        if (!StkPrompts::info(this, QStringLiteral("分组名已存在!")))
            return;
        closeGroupDialog();
        ChangeCurrentG();
        return;
    }
    const QString oldName = m_tabs.currentGroup();
    if (oldName.isEmpty())
        return;
    if (!m_store.renameGroup(oldName, data)) {
        StkPrompts::notSaved(this, oldName);
        return;
    }
    m_tabs.renameCurrent(data);
    m_store.loadGroups();
}

void BCOptionalStk::closeGroupDialog()
{
    if (m_groupDlg)
        m_groupDlg->close();
}

void BCOptionalStk::doInternalButtonClicked(const QString &)
{
    const int position = m_tabs.positionOf(sender());
    if (position >= 0)
        DeleteCurrentG(position);
}

void BCOptionalStk::DeleteCurrentG(int sPos)
{
    if (sPos < 0 || sPos >= m_tabs.tabs().size())
        return;
    const int current = m_ui.stackedWidget->currentIndex();
    const int tabsBefore = m_tabs.tabCount();
    const QString name = m_tabs.tabs().at(sPos)->text();
    if (StkPrompts::ask(this, QStringLiteral("删除当前组<font color='red'>[%1]</font>?").arg(name)) != StkPrompts::Answer::Yes)
        return;
    if (!m_store.deleteGroupStk(name, QString())) {
        StkPrompts::notSaved(this, name);
        return;
    }
    m_tabs.removeGroupTab(sPos);
    m_store.loadGroups();

    // A deleted current group hands over to its left neighbour, or to the new first tab.
    if (m_tabs.tabCount() == tabsBefore || sPos != current)
        return;
    if (sPos >= 1)
        switchToTab(sPos - 1);
    else if (!m_tabs.tabs().isEmpty())
        switchToTab(0);
}

void BCOptionalStk::setCurrentIndex(QAbstractButton *button)
{
    const int position = m_tabs.positionOf(button);
    if (position < 0)
        return;
    m_ui.stackedWidget->setCurrentIndex(position);
    m_store.loadGroups();
    combinedataset();
    attachModel(m_tabs.currentView());
}

void BCOptionalStk::AddCurrentGStk()
{
    if (m_tabs.tabs().isEmpty()) {
        StkPrompts::info(this, QStringLiteral("未创建分组!"));
        return;
    }
    auto *dialog = new AddStkDLG(this);
    connect(dialog, &AddStkDLG::sendData, this, &BCOptionalStk::receiveStk);
    dialog->show();
}

void BCOptionalStk::receiveStk(const QString &data, char Market, const QString &stkcode)
{
    m_rows.add(data, Market, stkcode);
}

void BCOptionalStk::delCurrentStk(const QModelIndex &index)
{
    m_rows.deleteRow(index);
}

void BCOptionalStk::DeleteCurrentGStk()
{
    m_rows.deleteSelected();
}

void BCOptionalStk::RowDoubleClicked(const QModelIndex &index)
{
    OrderDetail order;
    if (m_rows.orderOf(index, &order))
        emit onIssueOrder(order);
}

void BCOptionalStk::sortslot(int column, Qt::SortOrder order)
{
    // The securities selected before the sort are selected again after it.
    QStringList selected;
    QTableView *view = m_tabs.currentView();
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
    if (m_tabs.positionOf(watched) >= 0) {
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
