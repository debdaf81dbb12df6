#include "hostwindow.h"

#include "componentlinker.h"
#include "feedstatus.h"
#include "stalequotes.h"

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <vbusiness.h>
#include <vcachemgr.h>
#include <vlocaldb.h>
#include <voutput.h>
#include <vquotmgr.h>
#include <vsimquotfeed.h>
#include <vstylemgr.h>

#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// How long a component brought forward for a screenshot settles.
constexpr int SettleMs = 150;

// The host's own settings in the configuration database.
const QString HostCfgGroup = QStringLiteral("TarnHost");
const QString ShownSecurityKey = QStringLiteral("ShownSecurity");
const QString GeometryKey = QStringLiteral("WindowGeometry");
const QString DockStateKey = QStringLiteral("WindowState");
const QString CurrentTabKey = QStringLiteral("CurrentTab"); // the identity of the component in front
const QString StyleKey = QStringLiteral("Style");
const QString DefaultSecurity = QStringLiteral("1600519");
const QString DefaultUnderlying = QStringLiteral("1510050");

// 0: the exchanges' pace; the others are stress rates.
const int FeedRates[] = {0, 20, 200, 1000, 5000};

void log(int level, int line, const QString &message)
{
    VOutput(level, QStringLiteral(__FILE__), line, QString(), message);
}

} // namespace

HostWindow::HostWindow(HostContext *context, IModule *module, VSimQuotFeed *feed, QWidget *parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_module(module)
    , m_feed(feed)
    , m_linker(new ComponentLinker(context->cacheMgr(), this))
    , m_stale(new StaleQuotes(context->quotMgr()->feed(), this))
{
    const QDate date = QDate::fromString(QString::number(context->business()->sysDate()), QStringLiteral("yyyyMMdd"));
    setDockOptions(dockOptions() | QMainWindow::AllowTabbedDocks);
    // The tabs sit below a banner that appears when something must be said.
    auto *central = new QWidget(this);
    m_centralLayout = new QVBoxLayout(central);
    m_centralLayout->setContentsMargins(0, 0, 0, 0);
    m_centralLayout->setSpacing(0);
    setCentralWidget(central);
    showSettingsProblem(context->settingsProblem());
    m_status = new FeedStatus(context->quotMgr(), feed, this);
    setWindowTitle(QStringLiteral("tarn 行情 — %1  业务日期 %2")
                       .arg(m_status->sourceName(), date.toString(QStringLiteral("yyyy-MM-dd"))));
    statusBar()->addPermanentWidget(m_status);
    buildMenus();
    connect(m_linker, &ComponentLinker::securityShown, this, [this](const QString &stkid) { m_shownSecurity = stkid; });
}

HostWindow::~HostWindow()
{
    releaseComponents();
}

QString HostWindow::componentTitle(const QString &className)
{
    static const QHash<QString, QString> titles {{QStringLiteral("BCQuotPanel"), QStringLiteral("行情")},
                                                 {QStringLiteral("BCFtQuotPanel"), QStringLiteral("期货")},
                                                 {QStringLiteral("BCOptionalStk"), QStringLiteral("自选股")},
                                                 {QStringLiteral("BCStoQuot"), QStringLiteral("期权")}};
    return titles.value(className, className);
}

QStringList HostWindow::createComponents(const QStringList &classNames)
{
    QStringList missing;
    QHash<QString, int> instances;
    for (const QString &className : classNames) {
        const int instance = ++instances[className];
        const QString identity = QStringLiteral("%1#%2").arg(className).arg(instance);
        // The market's risk-free rate, which the option board's analytics price with.
        const QMap<QString, QVariant> params {{QStringLiteral("RiskFreeRate"), m_context->riskFreeRate()}};
        IComponent *component = m_module->createComponent(this, className, identity, &params);
        if (!component) {
            log(0, __LINE__, QStringLiteral("业务模块未提供元件[%1]").arg(className));
            missing << className;
            continue;
        }
        QString title = componentTitle(className);
        if (instance > 1)
            title += QStringLiteral(" %1").arg(instance);
        placeComponent(component, title);
        component->setComCfgGroup(cfgGroup(className, instance));
        component->restoreScene();
        m_linker->addComponent(component);
        log(0, __LINE__, QStringLiteral("元件[%1]已创建").arg(identity));
    }
    // Quote panels beside boards are docks; without boards they are the tabs.
    if (!m_tabs && !m_docks.isEmpty()) {
        for (IComponent *component : components()) {
            QDockWidget *dock = m_docks.take(component);
            placeTab(component, dock->windowTitle());
            delete dock;
        }
        m_viewMenu->setEnabled(false);
        resize(sizeHint().expandedTo(QSize(m_status->sizeHint().width() + 48, 0)));
    } else {
        resize(1280, 760);
    }
    return missing;
}

// The linker holds every component the window made, in creation order.
QList<IComponent *> HostWindow::components() const
{
    return m_linker->components();
}

ComponentLinker *HostWindow::linker() const
{
    return m_linker;
}

void HostWindow::showInitialSecurity()
{
    QHash<QString, QVariant> params;
    VLocalDb *db = m_context->localDb();
    if (db->getCfgParam(HostCfgGroup, params))
        m_shownSecurity = params.value(ShownSecurityKey).toString();
    if (m_shownSecurity.isEmpty() || !m_linker->showSecurity(m_shownSecurity))
        m_linker->showSecurity(DefaultSecurity);
}

void HostWindow::showInitialOptionChain()
{
    // The board's form keeps fixed object names; the host reaches its
    // choices through them as a user would through the combo boxes.
    for (IComponent *component : components()) {
        auto *underlyings = component->findChild<QComboBox *>(QStringLiteral("cbTargetStk"));
        auto *expiries = component->findChild<QComboBox *>(QStringLiteral("cbAllExpireDate"));
        if (!underlyings || !expiries || underlyings->count() == 0)
            continue;
        underlyings->setCurrentIndex(qMax(0, underlyings->findData(DefaultUnderlying)));
        if (expiries->count() > 0)
            expiries->setCurrentIndex(0);
    }
}

void HostWindow::restoreLayout()
{
    QHash<QString, QVariant> params;
    if (!m_context->localDb()->getCfgParam(HostCfgGroup, params))
        return;
    const QByteArray geometry = QByteArray::fromBase64(params.value(GeometryKey).toString().toLatin1());
    const QByteArray state = QByteArray::fromBase64(params.value(DockStateKey).toString().toLatin1());
    if (!geometry.isEmpty() && !restoreGeometry(geometry))
        log(3, __LINE__, QStringLiteral("窗口位置无法恢复,使用默认位置"));
    if (!state.isEmpty() && !restoreState(state))
        log(3, __LINE__, QStringLiteral("停靠窗口布局无法恢复,使用默认布局"));
    const QString front = params.value(CurrentTabKey).toString();
    for (IComponent *component : components()) {
        if (m_tabs && component->identity() == front)
            m_tabs->setCurrentWidget(component);
    }
    const QString style = params.value(StyleKey).toString();
    if (!style.isEmpty())
        m_context->styleMgr()->setStyle(style); // an unknown name is logged and the style kept
}

void HostWindow::releaseComponents()
{
    const QList<IComponent *> live = components();
    if (!live.isEmpty()) {
        const auto *front = m_tabs ? qobject_cast<IComponent *>(m_tabs->currentWidget()) : nullptr;
        m_context->localDb()->setCfgParam(HostCfgGroup,
                                          {{GeometryKey, QString::fromLatin1(saveGeometry().toBase64())},
                                           {DockStateKey, QString::fromLatin1(saveState().toBase64())},
                                           {CurrentTabKey, front ? front->identity() : QString()}},
                                          false);
    }
    for (auto it = live.crbegin(); it != live.crend(); ++it) {
        IComponent *component = *it;
        component->saveScene();
        QDockWidget *dock = m_docks.take(component);
        m_module->freeComponent(component);
        delete dock;
    }
    if (!m_shownSecurity.isEmpty())
        m_context->localDb()->setCfgParam(HostCfgGroup, {{ShownSecurityKey, m_shownSecurity}}, false);
}

QStringList HostWindow::saveScreenshots(const QString &dir, QString *error)
{
    const QList<IComponent *> live = components();
    if (live.isEmpty()) {
        *error = QStringLiteral("没有可截图的元件");
        return {};
    }
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("截图目录[%1]无法创建").arg(QDir::toNativeSeparators(dir));
        return {};
    }
    QStringList files;
    const auto save = [&](QWidget *widget, const QString &name) {
        const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
        if (!widget->grab().save(path)) {
            *error = QStringLiteral("截图[%1]无法保存").arg(QDir::toNativeSeparators(path));
            return false;
        }
        files << path;
        return true;
    };
    QHash<QString, int> instances;
    for (IComponent *component : live) {
        bringForward(component);
        QString name = component->className().toLower();
        if (const int instance = ++instances[name]; instance > 1)
            name += QStringLiteral("-%1").arg(instance);
        if (!save(component, name))
            return {};
    }
    if (m_tabs)
        m_tabs->setCurrentIndex(0);
    QApplication::processEvents();
    if (!save(this, QStringLiteral("tarn-host")))
        return {};
    return files;
}

void HostWindow::placeComponent(IComponent *component, const QString &title)
{
    if (component->className() == QLatin1String("BCQuotPanel")) {
        auto *dock = new QDockWidget(title, this);
        dock->setObjectName(component->identity());
        // A small dock scrolls the panel instead of cutting it off.
        auto *scroll = new QScrollArea(dock);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(component);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setMinimumWidth(component->minimumSizeHint().width()
                                + scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
        dock->setWidget(scroll);
        m_stale->addComponentArea(scroll);
        addDockWidget(Qt::RightDockWidgetArea, dock);
        m_docks.insert(component, dock);
        m_viewMenu->addAction(dock->toggleViewAction());
        m_viewMenu->setEnabled(true);
        return;
    }
    placeTab(component, title);
}

void HostWindow::placeTab(IComponent *component, const QString &title)
{
    if (!m_tabs) {
        m_tabs = new QTabWidget(this);
        m_tabs->setDocumentMode(true);
        m_centralLayout->addWidget(m_tabs);
    }
    m_tabs->addTab(component, title);
    m_stale->addComponentArea(component);
}

// Said once, above the tabs, for as long as the window is open: nothing the
// user changes in this run is kept, and why.
void HostWindow::showSettingsProblem(const QString &problem)
{
    if (problem.isEmpty())
        return;
    auto *banner = new QLabel(problem, centralWidget());
    banner->setObjectName(QStringLiteral("settingsBanner"));
    banner->setTextFormat(Qt::PlainText);
    banner->setWordWrap(true);
    banner->setTextInteractionFlags(Qt::TextSelectableByMouse);
    banner->setStyleSheet(QStringLiteral("QLabel { background: #fff3cd; color: #664d03; "
                                         "border-bottom: 1px solid #e6c66b; padding: 6px 10px; }"));
    m_centralLayout->insertWidget(0, banner);
}

void HostWindow::bringForward(IComponent *component)
{
    if (QDockWidget *dock = m_docks.value(component)) {
        dock->show();
        dock->raise();
    } else if (m_tabs && m_tabs->indexOf(component) >= 0) {
        m_tabs->setCurrentWidget(component);
    }
    // A component just brought forward lays itself out and fits its tables
    // to their texts over a few passes of the event loop.
    QEventLoop settling;
    QTimer::singleShot(SettleMs, &settling, &QEventLoop::quit);
    settling.exec();
}

void HostWindow::buildMenus()
{
    QMenu *quotMenu = menuBar()->addMenu(QStringLiteral("行情(&Q)"));
    QAction *pause = quotMenu->addAction(QStringLiteral("暂停模拟行情"));
    pause->setCheckable(true);
    pause->setEnabled(m_feed);
    connect(pause, &QAction::toggled, this, [this](bool paused) {
        if (m_feed)
            m_feed->setPaused(paused);
        m_status->refresh();
    });

    QMenu *rateMenu = quotMenu->addMenu(QStringLiteral("行情速率"));
    rateMenu->setEnabled(m_feed);
    auto *rates = new QActionGroup(rateMenu);
    for (const int rate : FeedRates) {
        QAction *action
            = rateMenu->addAction(rate ? QStringLiteral("%1 条/秒").arg(rate) : QStringLiteral("交易所节奏"));
        action->setCheckable(true);
        action->setChecked(m_feed && m_feed->rate() == rate);
        rates->addAction(action);
        connect(action, &QAction::triggered, this, [this, rate] {
            if (m_feed)
                m_feed->setRate(rate);
            m_status->refresh();
        });
    }
    quotMenu->addSeparator();
    quotMenu->addAction(QStringLiteral("退出(&X)"), this, &QWidget::close, QKeySequence::Quit);

    QMenu *styleMenu = menuBar()->addMenu(QStringLiteral("风格(&S)"));
    auto *styles = new QActionGroup(styleMenu);
    VStyleMgr *styleMgr = m_context->styleMgr();
    for (const QString &style : VStyleMgr::styles()) {
        QAction *action = styleMenu->addAction(VStyleMgr::styleTitle(style));
        action->setCheckable(true);
        action->setChecked(styleMgr->style() == style);
        styles->addAction(action);
        connect(action, &QAction::triggered, this, [this, styleMgr, style] {
            styleMgr->setStyle(style);
            m_context->localDb()->setCfgParam(HostCfgGroup, {{StyleKey, style}}, false);
        });
        // A style restored at start-up checks its entry too.
        connect(styleMgr, &VStyleMgr::onSystemStyleChanged, action,
                [action, styleMgr, style] { action->setChecked(styleMgr->style() == style); });
    }

    // Brings back a dock the user closed; filled as docks are placed.
    m_viewMenu = menuBar()->addMenu(QStringLiteral("视图(&V)"));
    m_viewMenu->setEnabled(false);
}

QString HostWindow::cfgGroup(const QString &className, int instance) const
{
    return QStringLiteral("%1.%2.%3").arg(HostCfgGroup, className).arg(instance);
}
