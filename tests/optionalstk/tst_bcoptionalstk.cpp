#include <framewait.h>
#include <modulehost.h>
#include <optionalstk/addstkdlg.h>
#include <optionalstk/bcoptionalstk.h>
#include <optionalstk/changegroupdlg.h>
#include <quotrecord.h>
#include <testquotfeed.h>
#include <testutil.h>

#include <vcachemgr.h>
#include <vcontrolbar.h>
#include <vlocaldb.h>
#include <vstockedit.h>
#include <vstylemgr.h>
#include <vtabbutton.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTableView>
#include <QToolTip>

#include <functional>

namespace {

const QString Group = QStringLiteral("OptionalStk");

// Runs action while answering the modal group-name dialogs it opens: each takes
// the next of names (a null name keeps the prefilled text) and is confirmed; a
// dialog beyond the names is closed. Returns the text each dialog opened with.
QStringList answeringGroupDialogs(QWidget *owner, QStringList names, const std::function<void()> &action)
{
    QStringList prefilled;
    QObject context;
    std::function<void()> poll = [&] {
        // Armed anew each time: an answer may open the next dialog, modally, from in here.
        QTimer::singleShot(5, &context, poll);
        for (ChangeGroupDlg *dialog : owner->findChildren<ChangeGroupDlg *>()) {
            if (!dialog->isVisible())
                continue;
            auto *line = dialog->findChild<QLineEdit *>();
            prefilled << line->text();
            if (names.isEmpty()) {
                dialog->close();
                return;
            }
            const QString name = names.takeFirst();
            if (!name.isNull())
                line->setText(name);
            QTest::mouseClick(dialog->findChild<QWidget *>(u("bnt_ok")), Qt::LeftButton);
            return;
        }
    };
    QTimer::singleShot(5, &context, poll);
    action();
    return prefilled;
}

QTableView *view(BCOptionalStk *c)
{
    return c->findChild<QStackedWidget *>()->currentWidget()->findChild<QTableView *>();
}

// The module with a stock cache, market names and the watchlist groups the
// database starts with ("name=list", in order). "1BAD" has a code with the
// product-list separator, so subscribing it fails.
class Fixture : public ModuleHost
{
public:
    explicit Fixture(const QStringList &groups = {})
    {
        for (const QString &group : groups)
            store(Group, group.section(QLatin1Char('='), 0, 0), group.section(QLatin1Char('='), 1));
        addCache(VCacheMgr::StockCacheName, "stkid market stkcode stkname stktype priceunit",
                 {"1600519 1 600519 贵州茅台 0 0.01", "2000001 2 000001 平安银行 0 0.01",
                  "1600000 1 600000 浦发银行 T 0.01", "1BAD 1 60|01 坏代码 0 0.01", "1510300 1 510300 300ETF 4 0.001"});
        addNames("4", "1=上海A股 2=深圳A股");
    }

    // A shown component whose model runs under the item-model tester.
    BCOptionalStk *create()
    {
        auto *c = ModuleHost::create<BCOptionalStk>("BCOptionalStk", QSize(1400, 400));
        QAbstractItemModel *model = view(c)->model();
        new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::QtTest, model);
        return c;
    }
    QString stored() { return ModuleHost::stored(Group); }
    QString said() { return messages().texts().join(QLatin1String(" | ")); }
};

VTabButton *tab(BCOptionalStk *c, int position)
{
    return qobject_cast<VTabButton *>(c->findChild<VControlBar *>()->at(position));
}

// The tabs' texts, the checked one marked "*", and after "@" the group shown.
QString tabs(BCOptionalStk *c)
{
    QStringList texts;
    for (int i = 0; i < c->findChild<VControlBar *>()->count(); ++i)
        texts << tab(c, i)->text() + QLatin1String(tab(c, i)->isChecked() ? "*" : "");
    QWidget *page = c->findChild<QStackedWidget *>()->currentWidget();
    return texts.join(QLatin1Char(' ')) + QLatin1String(" @") + (page ? page->objectName() : QString());
}

// One column of the shown rows as stored, separated by spaces.
QString shown(BCOptionalStk *c, int column = StkModel::Code)
{
    QStringList values;
    QAbstractItemModel *model = view(c)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        values << model->index(row, column).data(Qt::UserRole).toString();
    return values.join(QLatin1Char(' '));
}

// The search dialog, opened by its button and shown.
AddStkDLG *openAddDialog(BCOptionalStk *c)
{
    QTest::mouseClick(c->findChild<QWidget *>(u("btnAddStk")), Qt::LeftButton);
    auto *dialog = c->findChild<AddStkDLG *>();
    if (!QTest::qWaitForWindowExposed(dialog))
        qWarning("the search dialog was not exposed");
    return dialog;
}

void receive(BCOptionalStk *c, char market, const QByteArray &code, double last, double ratio = 0.0)
{
    VQuotData record = makeQuotRecord(market, code);
    record.lastPrice = last;
    record.preClosingPrice = last / (1 + ratio);
    record.priceChange = last - record.preClosingPrice;
    record.priceChangeRatio = ratio;
    c->doRecvSubscribe(&record);
    QVERIFY(waitForFrame());
}

} // namespace

class OptionalStkTest : public QObject
{
    Q_OBJECT

private slots:
    // The name dialog itself refuses only an empty name and keeps six characters;
    // the watchlist refuses duplicates and names with a space, each time with a
    // fresh dialog. A tab cuts a name too long for it and shows the whole name
    // as its tooltip.
    void addGroupThroughTheNameDialog()
    {
        Fixture f;
        BCOptionalStk *c = f.create();
        QCOMPARE(tabs(c), u("自选股1* @自选股1")); // a fresh database has its default group
        const auto addGroup = [c] { QTest::mouseClick(c->findChild<QWidget *>(u("btnAddGrp")), Qt::LeftButton); };
        QCOMPARE(answeringGroupDialogs(c, {QString()}, addGroup), QStringList {u("自选股")});
        QCOMPARE(answeringGroupDialogs(c, {u("")}, addGroup), (QStringList {u("自选股"), u("")})); // then closed
        QCOMPARE(answeringGroupDialogs(c, {u("自选股1"), u("新 组"), u("一二三四五六七")}, addGroup),
                 QVector<QString>(3, u("自选股")).toList());
        QCOMPARE(f.said(), u("分组名已存在! | 分组名称不能为空！"));
        QCOMPARE(tabs(c), u("自选股1 自选股 一二三四五六* @一二三四五六"));
        QCOMPARE(f.stored(), u("自选股1= 自选股= 一二三四五六="));
        // The uncut name first: a tooltip once shown keeps its text while it fades.
        for (int position : {1, 2}) {
            VTabButton *t = tab(c, position);
            QHelpEvent event(QEvent::ToolTip, t->rect().center(), t->mapToGlobal(t->rect().center()));
            QApplication::sendEvent(t, &event);
            QCOMPARE(QToolTip::text(), position == 2 ? u("一二三四五六") : QString());
        }
    }

    void renameByDoubleClick()
    {
        Fixture f({u("A=1600519,"), u("B=2000001,"), u("C=")});
        BCOptionalStk *c = f.create();
        QTest::mouseClick(tab(c, 1), Qt::LeftButton);
        const QStringList prefilled = answeringGroupDialogs(c, {u("A"), u("科技")}, [c] { doubleClick(tab(c, 1)); });
        QCOMPARE(prefilled, (QStringList {u("B"), u("B")}));
        QCOMPARE(f.said(), u("分组名已存在!"));
        QCOMPARE(tabs(c), u("A 科技* C @科技"));
        QCOMPARE(shown(c), u("000001"));
        QCOMPARE(f.stored(), u("A=1600519, 科技=2000001, C="));
    }

    void deleteGroup_data()
    {
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("tabs");
        const QStringList three {u("A=1600519,"), u("B=2000001,"), u("C=1600000,")};
        QTest::newRow("current at position 2") << three << 2 << 2 << true << u("A B* @B");
        QTest::newRow("current first") << three << 0 << 0 << true << u("B* C @B");
        QTest::newRow("not current") << three << 2 << 0 << true << u("B C* @C");
        QTest::newRow("declined") << three << 1 << 1 << false << u("A B* C @B");
        QTest::newRow("last remaining") << QStringList {three.constFirst()} << 0 << 0 << true << u(" @");
    }
    void deleteGroup()
    {
        QFETCH(QStringList, groups);
        QFETCH(int, current);
        QFETCH(int, deleted);
        QFETCH(bool, answer);
        QFETCH(QString, tabs);
        Fixture f(groups);
        BCOptionalStk *c = f.create();
        QTest::mouseClick(tab(c, current), Qt::LeftButton);
        const QString name = tab(c, deleted)->text();
        f.messages().answers = {answer};
        // The tab's own close button; its id is the tab count when it was made.
        tab(c, deleted)->internalButton(QString::number(deleted))->click();
        QCOMPARE(f.said(), u("删除当前组<font color='red'>[%1]</font>?").arg(name));
        QCOMPARE(::tabs(c), tabs);
        QCOMPARE(f.stored().remove(QRegularExpression(u("=\\S*"))),
                 tabs.section(u(" @"), 0, 0).remove(QLatin1Char('*')));
        if (groups.size() == 1) { // with no group left, nothing may reach into the empty tab list
            c->DeleteCurrentG(0);
            c->AddCurrentGStk();
            c->DeleteCurrentGStk();
            c->receiveStk(u("1600519"), '1', u("600519"));
            QCOMPARE(f.said().count(u("未创建分组!")), 3);
        }
    }

    // Adding with no security chosen adds nothing and says why under the field;
    // typing takes the hint away.
    void addingNothingSaysWhy_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter"); // Enter in the field instead of a click on 添加
        QTest::addColumn<QString>("hint");
        QTest::newRow("empty") << QString() << false << u("请输入证券代码或名称");
        QTest::newRow("matches not chosen") << u("银行") << false << u("请从列表中选择证券");
        QTest::newRow("unknown code, clicked") << u("999999") << false << u("未找到证券\"999999\"");
        QTest::newRow("unknown name, Enter") << u("不存在") << true << u("未找到证券\"不存在\"");
    }
    void addingNothingSaysWhy()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        Fixture f({u("A=")});
        AddStkDLG *dialog = openAddDialog(f.create());
        QLineEdit *field = dialog->findChild<VStockEdit *>()->editor();
        const int height = dialog->height();
        typeText(field, typed);
        if (enter)
            QTest::keyClick(field, Qt::Key_Return);
        else
            QTest::mouseClick(dialog->findChild<QWidget *>(u("pushButton")), Qt::LeftButton);
        QTEST(dialog->hint(), "hint");
        QVERIFY(dialog->height() > height);
        QCOMPARE(f.stored(), u("A="));
        QCOMPARE(f.said(), QString());
        typeText(field, u("6"));
        QCOMPARE(dialog->hint(), QString());
        QCOMPARE(dialog->height(), height);
    }

    // The name field keeps at most six characters and says so when it
    // refuses or cuts one; an empty name is not sent and says so too.
    void nameDialogSaysWhatItRefuses_data()
    {
        QTest::addColumn<QString>("prefilled");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hint");
        const QString tooLong = u("分组名最多6个字");
        QTest::newRow("six typed") << QString() << u("一二三四五六") << false << u("一二三四五六") << QString();
        QTest::newRow("seventh typed") << QString() << u("一二三四五六七") << false << u("一二三四五六") << tooLong;
        QTest::newRow("pasted") << u("一二") << u("三四五六七八") << true << u("一二三四五六") << tooLong;
        QTest::newRow("prefilled") << u("一二三四五六七") << QString() << false << u("一二三四五六") << tooLong;
        QTest::newRow("empty") << QString() << QString() << false << QString() << u("请输入分组名");
    }
    void nameDialogSaysWhatItRefuses()
    {
        QFETCH(QString, prefilled);
        QFETCH(QString, typed);
        QFETCH(bool, paste);
        QWidget owner;
        auto *dialog = new ChangeGroupDlg(&owner);
        dialog->setText(prefilled);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QSignalSpy sent(dialog, &ChangeGroupDlg::sendGroupName);
        auto *field = dialog->findChild<QLineEdit *>();
        field->end(false);
        if (paste) {
            QGuiApplication::clipboard()->setText(typed);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        } else {
            typeText(field, typed);
        }
        QTEST(field->text(), "text");
        if (field->text().isEmpty())
            QTest::mouseClick(dialog->findChild<QWidget *>(u("bnt_ok")), Qt::LeftButton);
        QTEST(dialog->hint(), "hint");
        QVERIFY(sent.isEmpty());
    }

    // Start-up with a refused security and one missing from the stock cache,
    // then additions through the search dialog, which stays open for more.
    // Whatever the window manager does with top-level windows, the dialog
    // opens over the watchlist, and its list right under its field.
    void securitiesOfAGroup()
    {
        Fixture f({u("A=1BAD,9999999,1600519,"), u("B=")});
        BCOptionalStk *c = f.create();
        QCOMPARE(f.said(), u("证券<font color='red'>[上海A股|坏代码]</font>订阅行情失败!"));
        QCOMPARE(shown(c), u("60|01 600519"));
        QCOMPARE(f.wanted(), u("1|600519"));

        c->resize(600, 300);
        AddStkDLG *dialog = openAddDialog(c);
        QTRY_COMPARE(offCentre(dialog->geometry(), QRect(c->mapToGlobal(QPoint()), c->size())), QString());
        auto *edit = dialog->findChild<VStockEdit *>();
        QLineEdit *field = edit->editor();
        QCOMPARE(field->placeholderText(), u("代码/名称"));
        typeText(field, u("平安"));
        QWidget *list = edit->findChild<QCompleter *>()->popup();
        QTRY_VERIFY(list->isVisible());
        QTRY_COMPARE(list->geometry().topLeft(), field->mapToGlobal(field->rect().bottomLeft()));
        QTest::keyClick(list, Qt::Key_Return);
        QTest::mouseClick(dialog->findChild<QWidget *>(u("pushButton")), Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QCOMPARE(field->selectedText(), u("000001 平安银行")); // typing replaces it
        QCOMPARE(view(c)->selectionModel()->selectedRows().value(0).row(), 0);
        const int subscribeCalls = f.feed().subscribeCalls;
        c->receiveStk(u("1600519"), '1', u("600519")); // already there: only selected
        QCOMPARE(view(c)->selectionModel()->selectedRows().value(0).row(), 2);
        QCOMPARE(f.stored(), u("A=2000001,1BAD,9999999,1600519, B="));
        QCOMPARE(shown(c), u("000001 60|01 600519"));
        QCOMPARE(f.feed().subscribeCalls, subscribeCalls);
        receive(c, '2', "000001", 11.5);
        QCOMPARE(shown(c, StkModel::Last), u("11.50 -- --")); // nothing traded yet

        // A refused addition is reported and stays in its group; the rest goes on.
        QTest::mouseClick(tab(c, 1), Qt::LeftButton);
        c->receiveStk(u("1BAD"), '1', u("60|01"));
        c->receiveStk(u("1600000"), '1', u("600000"));
        QVERIFY(f.said().endsWith(u("证券<font color = 'red'>[上海A股|坏代码]</font>订阅行情失败!")));
        QCOMPARE(f.stored(), u("A=2000001,1BAD,9999999,1600519, B=1600000,1BAD,"));
        QCOMPARE(f.wanted(), u("1|600000 1|600519 2|000001"));
    }

    void quotesReachEveryGroupOfTheirSecurity()
    {
        Fixture f({u("A=1600519,1510300,"), u("B=1600519,"), u("C=1600000,")});
        BCOptionalStk *c = f.create();
        QCOMPARE(f.wanted(), u("1|510300 1|600000 1|600519"));
        QCOMPARE(f.feed().subscribeCalls, 1);

        // Every column from its field, a fund's prices with its step's three
        // decimals, its volume in lots of 100 and its amount shortened when shown.
        QSignalSpy changed(view(c)->model(), &QAbstractItemModel::dataChanged);
        VQuotData record = makeQuotRecord('1', "510300");
        record.lastPrice = 3.956;
        record.priceChangeRatio = 0.0020263; // a fraction, shown in percent
        record.priceChange = 0.008;
        record.matchQuantity = 4173000;
        record.bidPrice[0] = 3.955;
        record.askPrice[0] = 3.956;
        record.matchAmount = 16512345.6;
        record.highPrice = 3.96;
        record.lowPrice = 3.94;
        record.openingPrice = 3.95;
        record.preClosingPrice = 3.948;
        record.highLimitPrice = 4.343;
        record.lowLimitPrice = 3.553;
        c->doRecvSubscribe(&record);
        QVERIFY(waitForFrame());
        QStringList cells, shownCells;
        for (int column = StkModel::Last; column <= StkModel::LimitDown; ++column) {
            cells << view(c)->model()->index(1, column).data(Qt::UserRole).toString();
            shownCells << view(c)->model()->index(1, column).data().toString();
        }
        QCOMPARE(cells.join(QLatin1Char(' ')),
                 u("3.956 0.20 0.008 41730 3.955 3.956 16512346 3.960 3.940 3.950 3.948 4.343 3.553"));
        QCOMPARE(shownCells.mid(0, 7).join(QLatin1Char(' ')), u("3.956 +0.20 +0.008 4.17万 3.955 3.956 1651.23万"));
        QCOMPARE(changed.size(), 1); // for exactly that row
        QCOMPARE(changed.constFirst().at(0).toModelIndex(), view(c)->model()->index(1, 0));
        QCOMPARE(changed.constFirst().at(1).toModelIndex(), view(c)->model()->index(1, 18));

        receive(c, '1', "600519", 1701.0);
        QTest::mouseClick(tab(c, 1), Qt::LeftButton);
        QCOMPARE(shown(c, StkModel::Last), u("1701.00"));
        receive(c, '1', "600519", 1702.0);
        QTest::mouseClick(tab(c, 0), Qt::LeftButton);
        QCOMPARE(shown(c, StkModel::Last), u("1702.00 3.956"));
        changed.clear();
        receive(c, '1', "600000", 8.5); // in no shown row
        QCOMPARE(changed.size(), 0);

        // A header sort lasts until the rows are rebuilt; quotes follow the rows to their places.
        QHeaderView *header = view(c)->horizontalHeader();
        const QPoint ratio(header->sectionViewportPosition(StkModel::ChangeRatio) + 20, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, ratio); // ascending: the largest gain on top
        QCOMPARE(shown(c), u("510300 600519"));
        receive(c, '1', "600519", 1703.0);
        QCOMPARE(shown(c, StkModel::Last), u("3.956 1703.00"));
        QTest::mouseClick(tab(c, 2), Qt::LeftButton);
        QCOMPARE(shown(c, StkModel::Last), u("8.50"));
        QTest::mouseClick(tab(c, 0), Qt::LeftButton);
        QCOMPARE(shown(c, StkModel::Last), u("1703.00 3.956"));
    }

    // A security another client put into the group shows, subscribed, once
    // the watchlist reads its groups again.
    void securityAddedElsewhere()
    {
        Fixture f({u("A=1600519,")});
        BCOptionalStk *c = f.create();
        f.store(Group, u("A"), u("1600519,1510300,"));
        c->refreshdata();
        QCOMPARE(shown(c), u("600519 510300"));
        QCOMPARE(f.wanted(), u("1|510300 1|600519"));
        receive(c, '1', "510300", 3.956);
        QCOMPARE(shown(c, StkModel::Last), u("-- 3.956"));
    }

    // By a row's button, and by the Delete key on the selected rows, which the
    // copy key copies with their header.
    void deleteSecurities()
    {
        Fixture f({u("A=1600519,2000001,1600000,")});
        BCOptionalStk *c = f.create();
        receive(c, '1', "600519", 1700.0);
        f.messages().answers = {false, true};
        const QRect button = view(c)->visualRect(view(c)->model()->index(1, StkModel::DeleteButton));
        QTest::mouseClick(view(c)->viewport(), Qt::LeftButton, {}, button.center()); // declined
        QCOMPARE(f.stored(), u("A=1600519,2000001,1600000,"));
        QTest::mouseClick(view(c)->viewport(), Qt::LeftButton, {}, button.center());
        const QString question = u("删除当前组内股票<font color='red'>[深圳A股|平安银行]</font>?");
        QCOMPARE(f.said(), question + u(" | ") + question);
        QCOMPARE(shown(c), u("600519 600000"));
        QCOMPARE(f.stored(), u("A=1600519,1600000,"));
        // The rows keep their quotes, and the row that moved up takes its own.
        receive(c, '1', "600000", 8.5);
        QCOMPARE(shown(c, StkModel::Last), u("1700.00 8.50"));

        for (int row : {1, 0})
            view(c)->selectionModel()->select(view(c)->model()->index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view(c)->setFocus();
        QTest::keyClick(view(c), Qt::Key_C, Qt::ControlModifier);
        QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        for (QString &line : lines)
            line = line.section(QLatin1Char('\t'), 0, 2);
        QCOMPARE(lines.mid(0, 3),
                 (QStringList {u("代码\t名称\t最新"), u("600519\t贵州茅台\t1700.00"), u("600000\t浦发银行\t8.50")}));
        QVERIFY(!QGuiApplication::clipboard()->text().contains(u("删除")));
        QTest::keyClick(view(c), Qt::Key_Delete);
        QVERIFY(f.said().endsWith(u("删除当前组内股票<font color='red'>[上海A股|浦发银行][上海A股|贵州茅台]</font>?")));
        QCOMPARE(shown(c), QString());
        QCOMPARE(f.stored(), u("A="));
    }

    // A deletion the database does not keep says so and leaves the row.
    void deletionNotKept()
    {
        Fixture f({u("A=1600519,2000001,")});
        BCOptionalStk *c = f.create();
        QVERIFY(QSqlQuery(f.context().localDb()->database())
                    .exec(QStringLiteral("CREATE TRIGGER keep BEFORE UPDATE ON cfgparam "
                                         "BEGIN SELECT RAISE(ABORT, 'kept'); END")));
        f.messages().answers = {true};
        const QRect button = view(c)->visualRect(view(c)->model()->index(1, StkModel::DeleteButton));
        QTest::mouseClick(view(c)->viewport(), Qt::LeftButton, {}, button.center());
        QVERIFY(f.said().endsWith(u("分组<font color='red'>[A]</font>保存失败!")));
        QCOMPARE(shown(c), u("600519 000001"));
        QCOMPARE(f.stored(), u("A=1600519,2000001,"));
    }

    // The text colours come from the client's style, and follow a switch.
    void coloursFollowTheClientStyle()
    {
        Fixture f({u("A=1600519,2000001,")});
        BCOptionalStk *c = f.create();
        receive(c, '1', "600519", 1700.0, 0.01);
        receive(c, '2', "000001", 11.0, -0.01);
        VStyleMgr *styles = f.context().styleMgr();
        QAbstractItemModel *model = view(c)->model();
        const char *const resources[] = {"Stk_Code_Font_Color", "Stk_Rise_Color", "Stk_Fall_Color"};
        const QModelIndex cells[]
            = {model->index(0, StkModel::Code), model->index(0, StkModel::Last), model->index(1, StkModel::Change)};
        QColor light[3];
        for (int i = 0; i < 3; ++i) {
            light[i] = styles->colorRes(QLatin1String(resources[i]));
            QCOMPARE(cells[i].data(Qt::ForegroundRole).value<QColor>(), light[i]);
        }
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        QVERIFY(styles->setStyle(u("dark")));
        QCOMPARE(changed.size(), 1); // the view repaints
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(cells[i].data(Qt::ForegroundRole).value<QColor>(), styles->colorRes(QLatin1String(resources[i])));
            QVERIFY(cells[i].data(Qt::ForegroundRole).value<QColor>() != light[i]);
        }
    }

    // Enter on the selected row asks for an order ticket, as a double-click
    // on it does (which the module loader's test goes through).
    void enterIssuesAnOrder()
    {
        Fixture f({u("A=1600519,1600000,")});
        BCOptionalStk *c = f.create();
        QSignalSpy orders(c, &BCOptionalStk::onIssueOrder);
        view(c)->setFocus();
        view(c)->selectRow(1);
        QTest::keyClick(view(c), Qt::Key_Return);
        QCOMPARE(orders.size(), 1);
        const auto order = orders.at(0).at(0).value<OrderDetail>();
        QCOMPARE(QStringList({order.stockId, order.stockCode, order.stockType}),
                 (QStringList {u("1600000"), u("600000"), u("T")}));
    }
};

QTEST_MAIN(OptionalStkTest)
#include "tst_bcoptionalstk.moc"
