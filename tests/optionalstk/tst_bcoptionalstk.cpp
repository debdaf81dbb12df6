#include <optionalstk/addstkdlg.h>
#include <optionalstk/bcoptionalstk.h>
#include <optionalstk/changegroupdlg.h>
#include <optionalstk/stkmodel.h>
#include <quotrecord.h>
#include <tarn.h>
#include <testhost.h>
#include <testquotfeed.h>

#include <imodule.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vcontrolbar.h>
#include <vdatadict.h>
#include <vlocaldb.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>
#include <vstockedit.h>
#include <vtabbutton.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

#include <functional>

using Groups = QList<QPair<QString, QString>>; // name and list text, in creation order
Q_DECLARE_METATYPE(Groups)

namespace {

const QString kClass = QStringLiteral("BCOptionalStk");

// Securities of the stock cache: id, market, code, name, type. The last one's
// code holds the product-list separator, so the subscriber refuses it.
const QList<QStringList> kStocks = {
    {QStringLiteral("1600519"), QStringLiteral("1"), QStringLiteral("600519"), QStringLiteral("贵州茅台"),
     QStringLiteral("0")},
    {QStringLiteral("2000001"), QStringLiteral("2"), QStringLiteral("000001"), QStringLiteral("平安银行"),
     QStringLiteral("0")},
    {QStringLiteral("1600000"), QStringLiteral("1"), QStringLiteral("600000"), QStringLiteral("浦发银行"),
     QStringLiteral("0")},
    {QStringLiteral("2159915"), QStringLiteral("2"), QStringLiteral("159915"), QStringLiteral("创业板ETF"),
     QStringLiteral("T")},
    {QStringLiteral("1BAD"), QStringLiteral("1"), QStringLiteral("60|01"), QStringLiteral("坏代码"),
     QStringLiteral("0")},
};

// Answers the modal group-name dialogs as they open: each step gets the next
// dialog that shows, after its title and prefilled text are recorded. A dialog
// beyond the steps is counted and closed, so a test never hangs on it.
class GroupDialogDriver : public QObject
{
public:
    using Step = std::function<void(ChangeGroupDlg *)>;

    GroupDialogDriver(QWidget *owner, QList<Step> steps)
        : m_owner(owner)
        , m_steps(std::move(steps))
    {
        schedule();
    }

    static Step enter(const QString &name)
    {
        return [name](ChangeGroupDlg *dialog) {
            if (!name.isNull())
                dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(name);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("bnt_ok")), Qt::LeftButton);
        };
    }
    static Step cancel()
    {
        return [](ChangeGroupDlg *dialog) { dialog->close(); };
    }

    QStringList titles;
    QStringList texts;
    int unexpected = 0;

private:
    // A new single shot each time: a timer does not fire again while its
    // own handler runs, and a step may open the next dialog from inside it.
    void schedule() { QTimer::singleShot(5, this, &GroupDialogDriver::poll); }

    void poll()
    {
        schedule();
        const QList<ChangeGroupDlg *> dialogs = m_owner->findChildren<ChangeGroupDlg *>();
        for (ChangeGroupDlg *dialog : dialogs) {
            if (!dialog->isVisible() || dialog->property("driven").toBool())
                continue;
            dialog->setProperty("driven", true);
            titles << dialog->windowTitle();
            texts << dialog->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->text();
            if (m_steps.isEmpty()) {
                ++unexpected;
                dialog->close();
            } else {
                m_steps.takeFirst()(dialog);
            }
            return;
        }
    }

    QPointer<QWidget> m_owner;
    QList<Step> m_steps;
};

// One loaded module over a TestHost with the stock cache and market names;
// unloads in the destructor.
class Fixture
{
public:
    explicit Fixture(const Groups &groups = Groups())
    {
        auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
        QVector<QVector<QVariant>> rows;
        for (const QStringList &stock : kStocks)
            rows.append({stock.at(0), stock.at(1), stock.at(2), stock.at(3), stock.at(4)});
        stocks->load({QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("stkcode"),
                      QStringLiteral("stkname"), QStringLiteral("stktype")},
                     rows);
        host.context().cacheMgr()->addCache(stocks);
        VDataDict *dict = host.context().dataDict();
        dict->setItem(QStringLiteral("4"), QStringLiteral("1"), QStringLiteral("上海A股"));
        dict->setItem(QStringLiteral("4"), QStringLiteral("2"), QStringLiteral("深圳A股"));
        for (const auto &group : groups)
            insertGroup(group.first, group.second);
        m_module = LoadBizModule(&host.context());
    }
    ~Fixture() { UnloadBizModule(); }

    BCOptionalStk *create()
    {
        auto *component = qobject_cast<BCOptionalStk *>(
            m_module->createComponent(nullptr, kClass, QStringLiteral("watchlist"), nullptr));
        if (component) {
            QAbstractItemModel *model = view(component) ? view(component)->model() : nullptr;
            if (model)
                new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
        }
        return component;
    }
    void free(BCOptionalStk *component) { m_module->freeComponent(component); }

    // A group row written as another module or an earlier run left it.
    void insertGroup(const QString &name, const QString &list)
    {
        QSqlQuery query(host.context().localDb()->database());
        query.prepare(QStringLiteral("INSERT INTO cfgparam (groupname, paramname, paramvalue, encrypt) "
                                     "VALUES ('OptionalStk', :name, :value, '0')"));
        query.bindValue(QStringLiteral(":name"), name);
        query.bindValue(QStringLiteral(":value"), list);
        QVERIFY(query.exec());
    }
    Groups storedGroups()
    {
        QSqlQuery query(host.context().localDb()->database());
        query.exec(QStringLiteral("select paramname, paramvalue from cfgparam "
                                  "where groupname='OptionalStk' order by rowid"));
        Groups groups;
        while (query.next())
            groups.append({query.value(0).toString(), query.value(1).toString()});
        return groups;
    }
    QStringList messages() { return host.messages().texts(); }
    void restart()
    {
        UnloadBizModule();
        host.restart();
        m_module = LoadBizModule(&host.context());
    }

    static QTableView *view(BCOptionalStk *component)
    {
        auto *stack = component->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        QWidget *page = stack->currentWidget();
        return page ? page->findChild<QTableView *>() : nullptr;
    }

    TestHost host;

private:
    IModule *m_module = nullptr;
};

VControlBar *controlBar(BCOptionalStk *component)
{
    return component->findChild<VControlBar *>(QStringLiteral("downWidget"));
}

QStackedWidget *stack(BCOptionalStk *component)
{
    return component->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
}

VTabButton *tab(BCOptionalStk *component, int position)
{
    return qobject_cast<VTabButton *>(controlBar(component)->at(position));
}

QStringList tabTexts(BCOptionalStk *component)
{
    QStringList texts;
    for (int i = 0; i < controlBar(component)->count(); ++i)
        texts << tab(component, i)->text();
    return texts;
}

QString currentGroup(BCOptionalStk *component)
{
    QWidget *page = stack(component)->currentWidget();
    return page ? page->objectName() : QString();
}

// The checked tab's text; several or none checked give an empty text.
QString checkedTab(BCOptionalStk *component)
{
    QStringList checked;
    for (int i = 0; i < controlBar(component)->count(); ++i) {
        if (tab(component, i)->isChecked())
            checked << tab(component, i)->text();
    }
    return checked.size() == 1 ? checked.constFirst() : QString();
}

QAbstractItemModel *model(BCOptionalStk *component)
{
    return Fixture::view(component)->model();
}

// One column of the rows shown, as stored.
QStringList shown(BCOptionalStk *component, int column = StkModel::Code)
{
    QStringList values;
    QAbstractItemModel *m = model(component);
    for (int row = 0; m && row < m->rowCount(); ++row)
        values << m->index(row, column).data(Qt::UserRole).toString();
    return values;
}

// The shown row of a code, as stored.
QStringList shownRow(BCOptionalStk *component, const QString &code)
{
    QAbstractItemModel *m = model(component);
    for (int row = 0; row < m->rowCount(); ++row) {
        if (m->index(row, StkModel::Code).data(Qt::UserRole).toString() == code) {
            QStringList cells;
            for (int column = 0; column < m->columnCount(); ++column)
                cells << m->index(row, column).data(Qt::UserRole).toString();
            return cells;
        }
    }
    return {};
}

QString shownLast(BCOptionalStk *component, const QString &code)
{
    return shownRow(component, code).value(StkModel::Last);
}

// As the window system delivers a double-click: a click, then a double-click
// event and its release.
void doubleClick(QWidget *widget, const QPoint &pos = QPoint())
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, pos);
}

void clickTab(BCOptionalStk *component, int position)
{
    QTest::mouseClick(tab(component, position), Qt::LeftButton);
}

void receive(BCOptionalStk *component, VQuotData record)
{
    QVERIFY(QMetaObject::invokeMethod(component, "doRecvSubscribe", Q_ARG(VQuotData *, &record)));
}

// ratio as the record carries it, a fraction.
VQuotData quote(char market, const QByteArray &code, double last, double ratio = 0.0)
{
    VQuotData record = makeQuotRecord(market, code);
    record.lastPrice = last;
    record.priceChangeRatio = ratio;
    return record;
}

// Adds a security through the add-security dialog, as the user would.
void addThroughDialog(AddStkDLG *dialog, const QString &stockId)
{
    QVERIFY(dialog->findChild<VStockEdit *>(QStringLiteral("vStockEdit"))->selectStock(stockId));
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("pushButton")), Qt::LeftButton);
}

QStringList selectedCodes(BCOptionalStk *component)
{
    QStringList codes;
    const QModelIndexList rows = Fixture::view(component)->selectionModel()->selectedRows(StkModel::Code);
    for (const QModelIndex &index : rows)
        codes << index.data(Qt::UserRole).toString();
    return codes;
}

QStringList repeated(int count, const QString &text)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << text;
    return list;
}

QPoint headerPoint(QHeaderView *header, int section)
{
    return QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
}

const Groups kThreeGroups = {{QStringLiteral("A"), QStringLiteral("1600519,")},
                             {QStringLiteral("B"), QStringLiteral("2000001,")},
                             {QStringLiteral("C"), QStringLiteral("1600000,")}};

} // namespace

class OptionalStkTest : public QObject
{
    Q_OBJECT

private slots:
    void freshDatabaseGivesOneEmptyGroup()
    {
        Fixture f;
        BCOptionalStk *c = f.create();
        QVERIFY(c);
        QCOMPARE(c->objectName(), kClass);
        for (const char *name : {"verticalLayout", "panel", "horizontalLayout_2", "btnAddGrp", "btnAddStk"})
            QVERIFY2(c->findChild<QObject *>(QString::fromLatin1(name)), name);
        QCOMPARE(c->findChild<QToolButton *>(QStringLiteral("btnAddGrp"))->toolTip(),
                 QStringLiteral("<b>添加分组</b>"));
        QCOMPARE(c->findChild<QToolButton *>(QStringLiteral("btnAddStk"))->toolTip(),
                 QStringLiteral("<b>添加自选股</b>"));

        QCOMPARE(tabTexts(c), QStringList {QStringLiteral("自选股1")});
        QCOMPARE(checkedTab(c), QStringLiteral("自选股1"));
        QCOMPARE(stack(c)->count(), 1);
        QCOMPARE(currentGroup(c), QStringLiteral("自选股1"));
        QCOMPARE(f.storedGroups(), (Groups {{QStringLiteral("自选股1"), QString()}}));

        QTableView *view = Fixture::view(c);
        QCOMPARE(model(c)->rowCount(), 0);
        QCOMPARE(model(c)->columnCount(), 19);
        for (int column : {StkModel::Market, StkModel::StkId, StkModel::StkType})
            QVERIFY(view->isColumnHidden(column));
        QVERIFY(!view->isColumnHidden(StkModel::Code));
        QCOMPARE(view->horizontalHeader()->defaultSectionSize(), 69);
        QVERIFY(view->horizontalHeader()->isSortIndicatorShown());
        // Nothing to subscribe: the feed is never asked.
        QCOMPARE(f.host.feed().subscribeCalls, 0);
        QVERIFY(f.messages().isEmpty());

        QTest::mouseClick(c->findChild<QToolButton *>(QStringLiteral("btnAddStk")), Qt::LeftButton);
        auto *search = c->findChild<AddStkDLG *>();
        QVERIFY(search);
        QVERIFY(search->isVisible()); // modeless: the click returned with the dialog open
    }

    void addGroupDialogIsPrefilled()
    {
        Fixture f;
        BCOptionalStk *c = f.create();
        GroupDialogDriver driver(c, {GroupDialogDriver::enter(QString())});
        QTest::mouseClick(c->findChild<QToolButton *>(QStringLiteral("btnAddGrp")), Qt::LeftButton);
        QCOMPARE(driver.titles, QStringList {QStringLiteral("添加新的分组")});
        QCOMPARE(driver.texts, QStringList {QStringLiteral("自选股")});
        QCOMPARE(tabTexts(c), (QStringList {QStringLiteral("自选股1"), QStringLiteral("自选股")}));
        QCOMPARE(currentGroup(c), QStringLiteral("自选股"));
        QCOMPARE(checkedTab(c), QStringLiteral("自选股"));
        QCOMPARE(f.storedGroups(),
                 (Groups {{QStringLiteral("自选股1"), QString()}, {QStringLiteral("自选股"), QString()}}));
        QCOMPARE(controlBar(c)->maximumWidth(), 2 * 89);

        // The new group persists, in its place.
        f.restart();
        c = f.create();
        QCOMPARE(tabTexts(c), (QStringList {QStringLiteral("自选股1"), QStringLiteral("自选股")}));
        QCOMPARE(currentGroup(c), QStringLiteral("自选股1"));
    }

    void invalidNewGroupName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("retry"); // a valid name in the fresh dialog, or closing it
        QTest::newRow("duplicate, then valid") << QStringLiteral("自选股1") << QStringLiteral("分组名已存在!") << true;
        QTest::newRow("duplicate, then closed")
            << QStringLiteral("自选股1") << QStringLiteral("分组名已存在!") << false;
        QTest::newRow("space, then valid") << QStringLiteral("新 组") << QStringLiteral("分组名称不能为空！") << true;
        QTest::newRow("spaces only, then closed")
            << QStringLiteral("  ") << QStringLiteral("分组名称不能为空！") << false;
    }
    void invalidNewGroupName()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        QFETCH(bool, retry);
        Fixture f;
        BCOptionalStk *c = f.create();
        GroupDialogDriver driver(
            c,
            {GroupDialogDriver::enter(name),
             retry ? GroupDialogDriver::enter(QStringLiteral("新组")) : GroupDialogDriver::cancel()});
        QVERIFY(QMetaObject::invokeMethod(c, "AddCurrentG"));
        QCOMPARE(f.messages(), QStringList {message});
        QCOMPARE(f.host.messages().requests.constFirst().modality, Qt::WindowModal);
        // A fresh dialog, prefilled again.
        QCOMPARE(driver.titles, repeated(2, QStringLiteral("添加新的分组")));
        QCOMPARE(driver.texts, repeated(2, QStringLiteral("自选股")));
        QCOMPARE(driver.unexpected, 0);

        const QStringList tabs = retry ? QStringList {QStringLiteral("自选股1"), QStringLiteral("新组")}
                                       : QStringList {QStringLiteral("自选股1")};
        QCOMPARE(tabTexts(c), tabs);
        QCOMPARE(currentGroup(c), tabs.constLast());
        QCOMPARE(checkedTab(c), tabs.constLast());
        QCOMPARE(f.storedGroups().size(), tabs.size());
    }

    void renameByDoubleClick_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<QString>("renamed"); // B's name afterwards
        QTest::newRow("new name") << QStringLiteral("科技") << QStringList() << 1 << QStringLiteral("科技");
        QTest::newRow("existing name gives a fresh dialog")
            << QStringLiteral("A") << QStringList {QStringLiteral("分组名已存在!")} << 2 << QStringLiteral("B");
        QTest::newRow("unchanged name counts as existing")
            << QString() << QStringList {QStringLiteral("分组名已存在!")} << 2 << QStringLiteral("B");
        QTest::newRow("space refused, no fresh dialog")
            << QStringLiteral("科 技") << QStringList {QStringLiteral("分组名称不能为空！")} << 1
            << QStringLiteral("B");
    }
    void renameByDoubleClick()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, messages);
        QFETCH(int, dialogs);
        QFETCH(QString, renamed);
        Fixture f(kThreeGroups);
        BCOptionalStk *c = f.create();
        clickTab(c, 1);
        QCOMPARE(currentGroup(c), QStringLiteral("B"));

        GroupDialogDriver driver(c, {GroupDialogDriver::enter(name), GroupDialogDriver::cancel()});
        doubleClick(tab(c, 1));
        QCOMPARE(driver.titles, repeated(dialogs, QStringLiteral("修改当前分组名称")));
        QCOMPARE(driver.texts, repeated(dialogs, QStringLiteral("B")));
        QCOMPARE(f.messages(), messages);

        const QStringList tabs {QStringLiteral("A"), renamed, QStringLiteral("C")};
        QCOMPARE(tabTexts(c), tabs);
        QCOMPARE(currentGroup(c), renamed);
        QCOMPARE(shown(c), QStringList {QStringLiteral("000001")});
        // The renamed group keeps its row, so its place survives a restart.
        QCOMPARE(f.storedGroups().at(1), qMakePair(renamed, QStringLiteral("2000001,")));
        f.restart();
        QCOMPARE(tabTexts(f.create()), tabs);
    }

    void securitiesAddedThroughTheSearchDialog()
    {
        Fixture f;
        BCOptionalStk *c = f.create();
        QSignalSpy resets(model(c), &QAbstractItemModel::modelReset);
        QVERIFY(QMetaObject::invokeMethod(c, "AddCurrentGStk"));
        auto *dialog = c->findChild<AddStkDLG *>();
        QVERIFY(dialog);

        addThroughDialog(dialog, QStringLiteral("1600519"));
        addThroughDialog(dialog, QStringLiteral("2000001"));
        QCOMPARE(shown(c), (QStringList {QStringLiteral("000001"), QStringLiteral("600519")})); // newest first
        QCOMPARE(selectedCodes(c), QStringList {QStringLiteral("000001")});
        QCOMPARE(f.host.feed().wanted, (QStringList {QStringLiteral("1|600519"), QStringLiteral("2|000001")}));
        const int subscribeCalls = f.host.feed().subscribeCalls;
        const int resetsBefore = resets.size();

        // The same security again is stored once and only selected.
        addThroughDialog(dialog, QStringLiteral("1600519"));
        QCOMPARE(f.storedGroups(), (Groups {{QStringLiteral("自选股1"), QStringLiteral("2000001,1600519,")}}));
        QCOMPARE(shown(c), (QStringList {QStringLiteral("000001"), QStringLiteral("600519")}));
        QCOMPARE(selectedCodes(c), QStringList {QStringLiteral("600519")});
        QCOMPARE(f.host.feed().subscribeCalls, subscribeCalls);
        QCOMPARE(resets.size(), resetsBefore);
        QVERIFY(dialog->isVisible());
        QVERIFY(f.messages().isEmpty());

        const QStringList row = shownRow(c, QStringLiteral("600519"));
        QCOMPARE(row.mid(0, 4),
                 (QStringList {QStringLiteral("1"), QStringLiteral("1600519"), QStringLiteral("600519"),
                               QStringLiteral("贵州茅台")}));
        QCOMPARE(row.mid(4, 13), repeated(13, QStringLiteral("0.00")));
        QCOMPARE(row.mid(17), (QStringList {QStringLiteral("0"), QStringLiteral("0")}));

        // A new quote reaches the added row.
        receive(c, quote('1', "600519", 1700.5));
        QCOMPARE(shownLast(c, QStringLiteral("600519")), QStringLiteral("1700.50"));
    }

    void invalidSecurityIdIsRefused()
    {
        Fixture f;
        BCOptionalStk *c = f.create();
        for (const QString &id : {QString(), QStringLiteral("1600519,2000001")}) {
            QVERIFY(QMetaObject::invokeMethod(c, "receiveStk", Q_ARG(QString, id), Q_ARG(char, '1'),
                                              Q_ARG(QString, QStringLiteral("600519"))));
        }
        QCOMPARE(f.storedGroups(), (Groups {{QStringLiteral("自选股1"), QString()}}));
        int refusals = 0;
        for (const VLogRecord &record : f.host.log().records)
            refusals += record.level == 3 && record.message.startsWith(QStringLiteral("无效的证券内码"));
        QCOMPARE(refusals, 2);
    }

    void securityInTwoGroupsIsSubscribedOnce()
    {
        Fixture f({{QStringLiteral("A"), QStringLiteral("1600519,2000001,")},
                   {QStringLiteral("B"), QStringLiteral("1600519,")}});
        BCOptionalStk *c = f.create();
        auto *subscriber = c->findChild<VQuotSubscriber *>();
        QVERIFY(subscriber);
        QCOMPARE(subscriber->subName(), QStringLiteral("自选股"));
        QCOMPARE(subscriber->productList(), (QStringList {QStringLiteral("1|600519"), QStringLiteral("2|000001")}));
        QCOMPARE(f.host.feed().subscribeCalls, 1);

        receive(c, quote('1', "600519", 1701.0));
        QCOMPARE(shownLast(c, QStringLiteral("600519")), QStringLiteral("1701.00"));
        clickTab(c, 1);
        QCOMPARE(shownLast(c, QStringLiteral("600519")), QStringLiteral("1701.00"));
        receive(c, quote('1', "600519", 1702.0));
        clickTab(c, 0);
        QCOMPARE(shownLast(c, QStringLiteral("600519")), QStringLiteral("1702.00"));
    }

    void quoteWritesItsRow()
    {
        Fixture f({{QStringLiteral("A"), QStringLiteral("1600519,2000001,")}});
        BCOptionalStk *c = f.create();
        QSignalSpy changed(model(c), &QAbstractItemModel::dataChanged);

        VQuotData record = makeQuotRecord('2', "000001");
        record.lastPrice = 11.2;
        record.priceChangeRatio = -0.015; // shown in percent
        record.priceChange = -0.17;
        record.matchQuantity = 123456789012LL;
        record.bidPrice[0] = 11.19;
        record.askPrice[0] = 11.21;
        record.matchAmount = 250000000.0;
        record.highPrice = 11.5;
        record.lowPrice = 11.0;
        record.openingPrice = 11.3;
        record.preClosingPrice = 11.37;
        record.highLimitPrice = 12.51;
        record.lowLimitPrice = 10.23;
        record.settlementPrice = 99.0; // not shown
        receive(c, record);

        QCOMPARE(shownRow(c, QStringLiteral("000001")).mid(StkModel::Last, 13),
                 (QStringList {QStringLiteral("11.20"), QStringLiteral("-1.50"), QStringLiteral("-0.17"),
                               QStringLiteral("123456789012.00"), QStringLiteral("11.19"), QStringLiteral("11.21"),
                               QStringLiteral("250000000.00"), QStringLiteral("11.50"), QStringLiteral("11.00"),
                               QStringLiteral("11.30"), QStringLiteral("11.37"), QStringLiteral("12.51"),
                               QStringLiteral("10.23")}));
        QCOMPARE(shownLast(c, QStringLiteral("600519")), QStringLiteral("0.00"));
        // One signal, for exactly that row.
        QCOMPARE(changed.size(), 1);
        const QModelIndex first = changed.at(0).at(0).toModelIndex();
        const QModelIndex last = changed.at(0).at(1).toModelIndex();
        QCOMPARE(first, model(c)->index(1, 0));
        QCOMPARE(last, model(c)->index(1, 18));

        // A record without data and a security in no group change nothing.
        record.status = 0;
        record.lastPrice = 1.0;
        receive(c, record);
        receive(c, quote('1', "000001", 2.0)); // the code in another market
        receive(c, quote('2', "600519", 3.0));
        QVERIFY(QMetaObject::invokeMethod(c, "doRecvSubscribe", Q_ARG(VQuotData *, nullptr)));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(shownLast(c, QStringLiteral("000001")), QStringLiteral("11.20"));
        QCOMPARE(shownLast(c, QStringLiteral("600519")), QStringLiteral("0.00"));
    }

    void quoteOfAHiddenGroupWaitsInAllRows()
    {
        Fixture f(kThreeGroups);
        BCOptionalStk *c = f.create();
        QSignalSpy changed(model(c), &QAbstractItemModel::dataChanged);
        receive(c, quote('2', "000001", 11.25, 0.0202));
        QCOMPARE(changed.size(), 0);
        QCOMPARE(shownLast(c, QStringLiteral("600519")), QStringLiteral("0.00"));

        clickTab(c, 1);
        QCOMPARE(shownLast(c, QStringLiteral("000001")), QStringLiteral("11.25"));
        QCOMPARE(shownRow(c, QStringLiteral("000001")).value(StkModel::ChangeRatio), QStringLiteral("2.02"));
        QCOMPARE(model(c)->index(0, StkModel::ChangeRatio).data().toString(), QStringLiteral("+2.02"));
    }

    void quoteGoesToTheFirstOfRepeatedRows()
    {
        // A list written by another tool may repeat an id.
        Fixture f({{QStringLiteral("A"), QStringLiteral("1600519,2000001,1600519,")}});
        BCOptionalStk *c = f.create();
        QCOMPARE(shown(c),
                 (QStringList {QStringLiteral("600519"), QStringLiteral("000001"), QStringLiteral("600519")}));
        receive(c, quote('1', "600519", 1700.0));
        QCOMPARE(shown(c, StkModel::Last),
                 (QStringList {QStringLiteral("1700.00"), QStringLiteral("0.00"), QStringLiteral("0.00")}));
    }

    void deleteGroup_data()
    {
        QTest::addColumn<Groups>("groups");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("tabs");
        QTest::addColumn<QString>("shownGroup");
        QTest::newRow("current at position 2")
            << kThreeGroups << 2 << 2 << true << QStringList {QStringLiteral("A"), QStringLiteral("B")}
            << QStringLiteral("B");
        QTest::newRow("current first") << kThreeGroups << 0 << 0 << true
                                       << QStringList {QStringLiteral("B"), QStringLiteral("C")} << QStringLiteral("B");
        QTest::newRow("not current") << kThreeGroups << 2 << 0 << true
                                     << QStringList {QStringLiteral("B"), QStringLiteral("C")} << QStringLiteral("C");
        QTest::newRow("declined") << kThreeGroups << 1 << 1 << false
                                  << QStringList {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}
                                  << QStringLiteral("B");
        QTest::newRow("last remaining") << Groups {kThreeGroups.constFirst()} << 0 << 0 << true << QStringList()
                                        << QString();
    }
    void deleteGroup()
    {
        QFETCH(Groups, groups);
        QFETCH(int, current);
        QFETCH(int, deleted);
        QFETCH(bool, answer);
        QFETCH(QStringList, tabs);
        QFETCH(QString, shownGroup);
        Fixture f(groups);
        BCOptionalStk *c = f.create();
        clickTab(c, current);
        const QString name = tab(c, deleted)->text();
        f.host.messages().answers = {answer};

        // The tab's own close button; its id is the tab count when it was made.
        tab(c, deleted)->internalButton(QString::number(deleted))->click();
        QCOMPARE(f.messages(), QStringList {QStringLiteral("删除当前组<font color='red'>[%1]</font>?").arg(name)});
        QCOMPARE(tabTexts(c), tabs);
        QCOMPARE(stack(c)->count(), tabs.size());
        QCOMPARE(currentGroup(c), shownGroup);
        QCOMPARE(checkedTab(c), shownGroup);
        QCOMPARE(controlBar(c)->maximumWidth(), tabs.size() * 89);
        QStringList stored;
        for (const auto &group : f.storedGroups())
            stored << group.first;
        QCOMPARE(stored, tabs);
        if (!shownGroup.isEmpty()) {
            const QHash<QString, QString> ids {{QStringLiteral("A"), QStringLiteral("1600519")},
                                               {QStringLiteral("B"), QStringLiteral("2000001")},
                                               {QStringLiteral("C"), QStringLiteral("1600000")}};
            QCOMPARE(shown(c, StkModel::StkId), QStringList {ids.value(shownGroup)});
        }
    }

    void withoutAnyGroup()
    {
        Fixture f({kThreeGroups.constFirst()});
        BCOptionalStk *c = f.create();
        QVERIFY(QMetaObject::invokeMethod(c, "DeleteCurrentG", Q_ARG(int, 0)));
        QCOMPARE(stack(c)->count(), 0);
        QCOMPARE(f.storedGroups(), Groups());
        f.host.messages().requests.clear();

        QVERIFY(QMetaObject::invokeMethod(c, "AddCurrentGStk"));
        QVERIFY(QMetaObject::invokeMethod(c, "DeleteCurrentGStk"));
        QVERIFY(QMetaObject::invokeMethod(c, "receiveStk", Q_ARG(QString, QStringLiteral("1600519")), Q_ARG(char, '1'),
                                          Q_ARG(QString, QStringLiteral("600519"))));
        QVERIFY(QMetaObject::invokeMethod(c, "ChangeCurrentG")); // nothing to rename
        QVERIFY(QMetaObject::invokeMethod(c, "DeleteCurrentG", Q_ARG(int, 0)));
        QVERIFY(QMetaObject::invokeMethod(c, "refreshdata"));
        QCOMPARE(f.messages(), repeated(3, QStringLiteral("未创建分组!")));
        QVERIFY(!c->findChild<AddStkDLG *>());
        QVERIFY(!c->findChild<ChangeGroupDlg *>());
        receive(c, quote('1', "600519", 1.0));

        // A new group becomes the current one and takes securities.
        GroupDialogDriver driver(c, {GroupDialogDriver::enter(QStringLiteral("新组"))});
        QVERIFY(QMetaObject::invokeMethod(c, "AddCurrentG"));
        QCOMPARE(tabTexts(c), QStringList {QStringLiteral("新组")});
        QCOMPARE(checkedTab(c), QStringLiteral("新组"));
        QCOMPARE(model(c)->rowCount(), 0);
        QVERIFY(QMetaObject::invokeMethod(c, "receiveStk", Q_ARG(QString, QStringLiteral("1600519")), Q_ARG(char, '1'),
                                          Q_ARG(QString, QStringLiteral("600519"))));
        QCOMPARE(shownLast(c, QStringLiteral("600519")), QStringLiteral("1.00")); // the quote kept in all rows
    }

    void rowDeleteButton_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("stored");
        QTest::newRow("declined") << false
                                  << QStringList {QStringLiteral("600519"), QStringLiteral("000001"),
                                                  QStringLiteral("600000")}
                                  << QStringLiteral("1600519,2000001,1600000,");
        QTest::newRow("accepted") << true << QStringList {QStringLiteral("600519"), QStringLiteral("600000")}
                                  << QStringLiteral("1600519,1600000,");
    }
    void rowDeleteButton()
    {
        QFETCH(bool, answer);
        QFETCH(QStringList, codes);
        QFETCH(QString, stored);
        Fixture f(
            {{QStringLiteral("A"), QStringLiteral("1600519,2000001,1600000,")}, {QStringLiteral("B"), QString()}});
        BCOptionalStk *c = f.create();
        c->resize(1200, 400);
        c->show();
        QVERIFY(QTest::qWaitForWindowExposed(c));
        receive(c, quote('1', "600519", 1700.0));
        receive(c, quote('1', "600000", 8.0));
        f.host.messages().answers = {answer};

        QTableView *view = Fixture::view(c);
        const QRect cell = view->visualRect(model(c)->index(1, StkModel::DeleteButton));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QCOMPARE(f.messages(),
                 QStringList {QStringLiteral("删除当前组内股票<font color='red'>[深圳A股|平安银行]</font>?")});
        QCOMPARE(shown(c), codes);
        QCOMPARE(shownLast(c, QStringLiteral("600519")), QStringLiteral("1700.00"));
        QCOMPARE(shownLast(c, QStringLiteral("600000")), QStringLiteral("8.00"));
        QCOMPARE(f.storedGroups().constFirst().second, stored);
        // The security stays subscribed, and quotes still find the rows that moved up.
        QVERIFY(f.host.feed().wanted.contains(QStringLiteral("2|000001")));
        receive(c, quote('1', "600000", 8.5));
        QCOMPARE(shownLast(c, QStringLiteral("600000")), QStringLiteral("8.50"));
        receive(c, quote('2', "000001", 11.0));
        clickTab(c, 1);
        QVERIFY(QMetaObject::invokeMethod(c, "receiveStk", Q_ARG(QString, QStringLiteral("2000001")), Q_ARG(char, '2'),
                                          Q_ARG(QString, QStringLiteral("000001"))));
        QCOMPARE(shownLast(c, QStringLiteral("000001")), QStringLiteral("11.00"));
    }

    void deleteSelectedRows_data()
    {
        QTest::addColumn<QList<int>>("selection"); // rows, in selection order
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("codes");
        const QStringList all {QStringLiteral("600519"), QStringLiteral("000001"), QStringLiteral("600000")};
        QTest::newRow("nothing selected") << QList<int>() << true << QStringList {QStringLiteral("未选中股票!")} << all;
        const QString question
            = QStringLiteral("删除当前组内股票<font color='red'>[上海A股|浦发银行][上海A股|贵州茅台]</font>?");
        QTest::newRow("two, declined") << QList<int> {2, 0} << false << QStringList {question} << all;
        QTest::newRow("two, accepted") << QList<int> {2, 0} << true << QStringList {question}
                                       << QStringList {QStringLiteral("000001")};
    }
    void deleteSelectedRows()
    {
        QFETCH(QList<int>, selection);
        QFETCH(bool, answer);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, codes);
        Fixture f({{QStringLiteral("A"), QStringLiteral("1600519,2000001,1600000,")}});
        BCOptionalStk *c = f.create();
        c->show();
        QVERIFY(QTest::qWaitForWindowExposed(c));
        QTableView *view = Fixture::view(c);
        for (int row : selection)
            view->selectionModel()->select(model(c)->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        f.host.messages().answers = {answer};

        // Through the context menu, as the user would.
        QStringList actions;
        QTimer::singleShot(0, c, [&actions] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction *action : menu->actions())
                actions << (action->isSeparator() ? QStringLiteral("-") : action->text());
            menu->setActiveAction(menu->actions().constLast());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), c->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(c, &event);
        QCOMPARE(actions,
                 (QStringList {QStringLiteral("添加自选股"), QStringLiteral("-"), QStringLiteral("删除自选股")}));

        QCOMPARE(f.messages(), messages);
        QCOMPARE(shown(c), codes);
        QString stored;
        for (const QString &code : codes)
            stored += shownRow(c, code).value(StkModel::StkId) + QLatin1Char(',');
        QCOMPARE(f.storedGroups().constFirst().second, stored);
    }

    void headerSortLastsUntilTheRowsAreRebuilt_data()
    {
        QTest::addColumn<bool>("bySwitch"); // rebuilt by a group switch, else by an addition
        QTest::newRow("group switch") << true;
        QTest::newRow("addition") << false;
    }
    void headerSortLastsUntilTheRowsAreRebuilt()
    {
        QFETCH(bool, bySwitch);
        Fixture f(
            {{QStringLiteral("A"), QStringLiteral("1600519,2000001,1600000,")}, {QStringLiteral("B"), QString()}});
        BCOptionalStk *c = f.create();
        c->resize(1200, 400);
        c->show();
        QVERIFY(QTest::qWaitForWindowExposed(c));
        receive(c, quote('1', "600519", 1700.0, 0.015));
        receive(c, quote('2', "000001", 11.0, -0.02));
        receive(c, quote('1', "600000", 8.0, 0.03));
        const QStringList stored {QStringLiteral("600519"), QStringLiteral("000001"), QStringLiteral("600000")};
        QCOMPARE(shown(c), stored);

        // The first click asks for ascending order, which puts the largest gain on top.
        QHeaderView *header = Fixture::view(c)->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          headerPoint(header, StkModel::ChangeRatio));
        QCOMPARE(shown(c),
                 (QStringList {QStringLiteral("600000"), QStringLiteral("600519"), QStringLiteral("000001")}));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          headerPoint(header, StkModel::ChangeRatio));
        QCOMPARE(shown(c),
                 (QStringList {QStringLiteral("000001"), QStringLiteral("600519"), QStringLiteral("600000")}));
        // Quotes follow the rows to their new places.
        receive(c, quote('1', "600519", 1710.0, 0.015));
        QCOMPARE(shown(c, StkModel::Last),
                 (QStringList {QStringLiteral("11.00"), QStringLiteral("1710.00"), QStringLiteral("8.00")}));

        if (bySwitch) {
            clickTab(c, 1);
            clickTab(c, 0);
        } else {
            QVERIFY(QMetaObject::invokeMethod(c, "receiveStk", Q_ARG(QString, QStringLiteral("2159915")),
                                              Q_ARG(char, '2'), Q_ARG(QString, QStringLiteral("159915"))));
        }
        QCOMPARE(shown(c), bySwitch ? stored : QStringList {QStringLiteral("159915")} + stored);
        receive(c, quote('2', "000001", 11.5, -0.02));
        QCOMPARE(shownLast(c, QStringLiteral("000001")), QStringLiteral("11.50"));
        QCOMPARE(shown(c, StkModel::Last).mid(bySwitch ? 0 : 1),
                 (QStringList {QStringLiteral("1710.00"), QStringLiteral("11.50"), QStringLiteral("8.00")}));
    }

    void securityMissingFromTheCacheStaysStored()
    {
        Fixture f({{QStringLiteral("A"), QStringLiteral("9999999,1600519,")}});
        BCOptionalStk *c = f.create();
        QCOMPARE(shown(c), QStringList {QStringLiteral("600519")});
        QCOMPARE(f.host.context().quotMgr()->wantedProducts(), QStringList {QStringLiteral("1|600519")});
        QVERIFY(f.messages().isEmpty());
        bool logged = false;
        for (const VLogRecord &record : f.host.log().records)
            logged = logged || (record.level == 3 && record.message.contains(QStringLiteral("9999999")));
        QVERIFY(logged);

        QVERIFY(QMetaObject::invokeMethod(c, "receiveStk", Q_ARG(QString, QStringLiteral("2000001")), Q_ARG(char, '2'),
                                          Q_ARG(QString, QStringLiteral("000001"))));
        QCOMPARE(shown(c), (QStringList {QStringLiteral("000001"), QStringLiteral("600519")}));
        QCOMPARE(f.storedGroups().constFirst().second, QStringLiteral("2000001,9999999,1600519,"));
    }

    void refusedProductIsReportedAndTheRestGoesOn_data()
    {
        QTest::addColumn<bool>("atStartUp");
        QTest::addColumn<QString>("message");
        QTest::newRow("at start-up") << true
                                     << QStringLiteral("证券<font color='red'>[上海A股|坏代码]</font>订阅行情失败!");
        QTest::newRow("when added") << false
                                    << QStringLiteral("证券<font color = 'red'>[上海A股|坏代码]</font>订阅行情失败!");
    }
    void refusedProductIsReportedAndTheRestGoesOn()
    {
        QFETCH(bool, atStartUp);
        QFETCH(QString, message);
        Fixture f(
            {{QStringLiteral("A"), atStartUp ? QStringLiteral("1600519,1BAD,2000001,") : QStringLiteral("1600519,")}});
        BCOptionalStk *c = f.create();
        if (!atStartUp) {
            QVERIFY(QMetaObject::invokeMethod(c, "receiveStk", Q_ARG(QString, QStringLiteral("1BAD")), Q_ARG(char, '1'),
                                              Q_ARG(QString, QStringLiteral("60|01"))));
            QVERIFY(QMetaObject::invokeMethod(c, "receiveStk", Q_ARG(QString, QStringLiteral("2000001")),
                                              Q_ARG(char, '2'), Q_ARG(QString, QStringLiteral("000001"))));
        }
        QCOMPARE(f.messages(), QStringList {message});
        QCOMPARE(f.host.messages().requests.constFirst().kind, VMsgRequest::Error);
        QCOMPARE(f.host.messages().requests.constFirst().modality, Qt::ApplicationModal);
        // The security stays in its group and on screen, the others are subscribed.
        QVERIFY(f.storedGroups().constFirst().second.contains(QStringLiteral("1BAD,")));
        QVERIFY(shown(c).contains(QStringLiteral("60|01")));
        QCOMPARE(f.host.context().quotMgr()->wantedProducts(),
                 (QStringList {QStringLiteral("1|600519"), QStringLiteral("2|000001")}));
    }

    void doubleClickIssuesAnOrder()
    {
        Fixture f({{QStringLiteral("A"), QStringLiteral("1600519,2159915,")}});
        BCOptionalStk *c = f.create();
        c->resize(1200, 400);
        c->show();
        QVERIFY(QTest::qWaitForWindowExposed(c));
        QSignalSpy orders(c, SIGNAL(onIssueOrder(OrderDetail)));
        QVERIFY(orders.isValid());
        f.host.messages().defaultAnswer = false;

        QTableView *view = Fixture::view(c);
        const QPoint name = view->visualRect(model(c)->index(1, StkModel::Name)).center();
        doubleClick(view->viewport(), name);
        QCOMPARE(orders.size(), 1);
        const auto order = orders.at(0).at(0).value<OrderDetail>();
        QCOMPARE(order.stockId, QStringLiteral("2159915"));
        QCOMPARE(order.stockCode, QStringLiteral("159915"));
        QCOMPARE(order.stockType, QStringLiteral("T"));
        QVERIFY(order.stockName.isEmpty() && order.market.isEmpty() && order.price == 0.0 && order.quantity == 0);

        // A double-click on the delete button is no order.
        const QPoint button = view->visualRect(model(c)->index(0, StkModel::DeleteButton)).center();
        doubleClick(view->viewport(), button);
        QCOMPARE(orders.size(), 1);

        // The slot is reachable through the meta-object system.
        QVERIFY(QMetaObject::invokeMethod(c, "RowDoubleClicked", Q_ARG(QModelIndex, model(c)->index(0, 2))));
        QCOMPARE(orders.size(), 2);
        QCOMPARE(orders.at(1).at(0).value<OrderDetail>().stockId, QStringLiteral("1600519"));
    }

    void freeingUnsubscribes()
    {
        Fixture f({{QStringLiteral("A"), QStringLiteral("1600519,2000001,")}});
        BCOptionalStk *c = f.create();
        QCOMPARE(f.host.context().quotMgr()->wantedProducts().size(), 2);
        f.free(c);
        QCOMPARE(f.host.context().quotMgr()->wantedProducts(), QStringList());
        QCOMPARE(f.host.feed().wanted, QStringList());
    }
};

QTEST_MAIN(OptionalStkTest)
#include "tst_bcoptionalstk.moc"
