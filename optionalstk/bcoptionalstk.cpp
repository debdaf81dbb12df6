#include "bcoptionalstk.h"

#include "addstkdlg.h"
#include "changegroupdlg.h"
#include "optionalstklog.h"
#include "stkprompts.h"
#include "stkrows.h"

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vconfig.h>
#include <vlocaldb.h>
#include <vquotdata.h>
#include <vstylemgr.h>
#include <vtabbutton.h>

#include <QAction>
#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>
#include <QStackedWidget>
#include <QTableView>
#include <QTime>
#include <QToolButton>

Q_LOGGING_CATEGORY(lcOptionalStk, "tarn.optionalstk", QtInfoMsg)

namespace {

const int SectionSize = 69;

QSqlDatabase localDatabase()
{
    IHostContext *host = tarn::hostContext();
    VLocalDb *db = host && host->config() ? host->config()->cfgLocalDb() : nullptr;
    return db ? db->database() : QSqlDatabase();
}

QString timeTrace()
{
    return QTime::currentTime().toString(QStringLiteral("ss.zzz"));
}

} // namespace

BCOptionalStk::BCOptionalStk(QWidget *parent, QString className, const QString &identity,
                             const QMap<QString, QVariant> *)
    : IComponent(parent, className, identity)
    , m_store(localDatabase())
    , m_rows(new StkRows(this))
    , m_commands(m_rows, &m_store, &m_tabs)
{
    qRegisterMetaType<OrderDetail>("OrderDetail");
    m_rows->setQuoteReceiver(this, "1doRecvSubscribe(VQuotData*)");
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
    m_commands.showCurrentGroup();
    followStyle();
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

void BCOptionalStk::initDataset()
{
    m_model.setHorizontalHeaderLabels(StkModel::headerLabels());
    m_delegate.setButtonColumn(StkModel::DeleteButton);
    m_model.setTextlessColumn(StkModel::DeleteButton);
    m_model.setRows(m_rows);
    connect(&m_delegate, &StkDelegate::btnclicked, this, &BCOptionalStk::delCurrentStk);
    connect(&m_delegate, &StkDelegate::mousein, this, &BCOptionalStk::domousein);
    connect(&m_delegate, &StkDelegate::mouseout, this, &BCOptionalStk::domouseout);
    attachModel(m_tabs.currentView());
    // A group shown anew is shown in the current page's view.
    connect(m_rows, &StkRows::shownReset, this, [this] { attachModel(m_tabs.currentView()); });

    qCDebug(lcOptionalStk).noquote() << QStringLiteral("订阅开始") << timeTrace();
    m_commands.subscribeGroups();
    qCDebug(lcOptionalStk).noquote() << QStringLiteral("订阅结束") << timeTrace();
}

void BCOptionalStk::refreshdata()
{
    m_store.loadGroups();
    m_commands.showCurrentGroup();
}

void BCOptionalStk::doRecvSubscribe(VQuotData *pQuotData)
{
    if (pQuotData && pQuotData->status != 0)
        m_rows->addQuote(*pQuotData);
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
    m_commands.showCurrentGroup();
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
    m_commands.add(data, Market, stkcode);
}

void BCOptionalStk::delCurrentStk(const QModelIndex &index)
{
    m_commands.deleteRow(index);
}

void BCOptionalStk::DeleteCurrentGStk()
{
    m_commands.deleteSelected();
}

void BCOptionalStk::RowDoubleClicked(const QModelIndex &index)
{
    OrderDetail order;
    if (m_commands.orderOf(index, &order))
        emit onIssueOrder(order);
}

void BCOptionalStk::sortslot(int column, Qt::SortOrder order)
{
    m_model.sortdata(column, order);
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
