#include <hoststockhelper.h>
#include <logcapture.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdatadict.h>
#include <vstockedit.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QStringList ul(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list << u(text);
    return list;
}

// Types text as the keyboard would, one character at a time (keyClicks
// would squeeze the Chinese characters through Latin-1).
void type(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

class StockEditTest : public QObject
{
    Q_OBJECT

private:
    LogCapture m_log;
    QScopedPointer<VCacheMgr> m_caches;
    VDataDict m_dict;
    QScopedPointer<HostStockHelper> m_helper;
    QScopedPointer<VStockEdit> m_edit;

    QAbstractItemView *popup() const { return m_edit->findChild<QCompleter *>()->popup(); }

    // The drop-down's rows as "code|name|market".
    QStringList listed() const
    {
        QStringList rows;
        const QStandardItemModel *model = m_edit->matches();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model->columnCount(); ++column)
                cells << model->index(row, column).data().toString();
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

private slots:
    void initTestCase()
    {
        VLog::setFileLogging(false);
        m_dict.setItem(u("4"), u("1"), u("上海"));
        m_dict.setItem(u("4"), u("2"), u("深圳"));
    }

    void init()
    {
        m_caches.reset(new VCacheMgr);
        auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
        const QStringList fields = ul({"stkid", "market", "stkcode", "stkname", "stktype", "priceunit", "preclose"});
        QVector<QVector<QVariant>> rows;
        const QList<QStringList> records = {
            ul({"1600519", "1", "600519", "贵州茅台", "0", "0.01", "1700.00"}),
            ul({"1600000", "1", "600000", "浦发银行", "0", "0.01", "7.50"}),
            ul({"2000001", "2", "000001", "平安银行", "0", "0.01", "11.20"}),
            ul({"1000001", "1", "000001", "上证指数", "K", "0.01", "3100.00"}),
            ul({"2159919", "2", "159919", "沪深300ETF", "1", "0.001", "3.900"}),
            ul({"1510300", "1", "510300", "300ETF", "1", "0.001", "3.950"}),
        };
        for (const QStringList &record : records) {
            QVector<QVariant> row;
            for (const QString &value : record)
                row << value;
            rows << row;
        }
        QVERIFY(stocks->load(fields, rows));
        m_caches->addCache(stocks);
        m_helper.reset(new HostStockHelper(m_caches.data(), &m_dict));

        m_edit.reset(new VStockEdit);
        m_helper->connectStockEdit(m_edit.data());
        m_edit->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_edit.data()));
        m_edit->editor()->setFocus();
    }
    void cleanup()
    {
        m_edit.reset();
        m_helper.reset();
        m_caches.reset();
    }

    void listsMatches_data()
    {
        QTest::addColumn<QString>("hiddenTypes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("code prefix") << QString() << u("600") << ul({"600519|贵州茅台|上海", "600000|浦发银行|上海"});
        QTest::newRow("name fragment") << QString() << u("银行")
                                       << ul({"600000|浦发银行|上海", "000001|平安银行|深圳"});
        QTest::newRow("same code in two markets")
            << QString() << u("000001") << ul({"000001|平安银行|深圳", "000001|上证指数|上海"});
        QTest::newRow("code matches before name matches")
            << QString() << u("0")
            << ul({"000001|平安银行|深圳", "000001|上证指数|上海", "159919|沪深300ETF|深圳", "510300|300ETF|上海"});
        QTest::newRow("name ignores case")
            << QString() << u("etf") << ul({"159919|沪深300ETF|深圳", "510300|300ETF|上海"});
        QTest::newRow("no match") << QString() << u("689") << QStringList();
        QTest::newRow("one type hidden") << u("K") << u("000001") << ul({"000001|平安银行|深圳"});
        QTest::newRow("two types hidden") << u("0,1") << u("0") << ul({"000001|上证指数|上海"});
        QTest::newRow("filter off") << u("*") << u("000001") << ul({"000001|平安银行|深圳", "000001|上证指数|上海"});
    }
    void listsMatches()
    {
        QFETCH(QString, hiddenTypes);
        QFETCH(QString, text);
        QFETCH(QStringList, rows);
        m_edit->setFilterDisableStockType(hiddenTypes);
        type(m_edit->editor(), text);
        QCOMPARE(listed(), rows);
        QCOMPARE(popup()->isVisible(), !rows.isEmpty());
        QVERIFY(m_edit->isEmpty());
    }

    void choosingFillsTheSecurity_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("id");
        QTest::newRow("highlight the second, Enter") << u("keys") << u("2000001");
        QTest::newRow("click the second") << u("mouse") << u("2000001");
        QTest::newRow("Enter without highlight takes the first") << u("enter") << u("1600000");
    }
    void choosingFillsTheSecurity()
    {
        QFETCH(QString, how);
        QFETCH(QString, id);
        QSignalSpy changed(m_edit.data(), &VStockEdit::stockChanged);
        type(m_edit->editor(), u("银行"));
        QVERIFY(popup()->isVisible());
        if (how == QLatin1String("keys")) {
            QTest::keyClick(popup(), Qt::Key_Down);
            QTest::keyClick(popup(), Qt::Key_Down);
            QTest::keyClick(popup(), Qt::Key_Return);
        } else if (how == QLatin1String("mouse")) {
            const QModelIndex second = popup()->model()->index(1, 0);
            QTest::mouseClick(popup()->viewport(), Qt::LeftButton, {}, popup()->visualRect(second).center());
        } else {
            QTest::keyClick(popup(), Qt::Key_Return);
        }
        QVERIFY(!popup()->isVisible());
        QCOMPARE(changed.size(), 1);
        QVERIFY(!m_edit->isEmpty());
        QCOMPARE(m_edit->getStockId(), id);
        VStockInfo expected;
        QVERIFY(m_helper->stockById(id, expected));
        QCOMPARE(m_edit->getStockCode(), expected.code);
        QCOMPARE(m_edit->getStockName(), expected.name);
        QCOMPARE(m_edit->getStockMarket(), expected.market.at(0).toLatin1());
        QCOMPARE(m_edit->editor()->text(), expected.code + QLatin1Char(' ') + expected.name);

        // Typing again forgets the choice.
        type(m_edit->editor(), u("6"));
        QVERIFY(m_edit->isEmpty());
        QCOMPARE(m_edit->getStockId(), QString());
        QCOMPARE(m_edit->getStockMarket(), '\0');
        QCOMPARE(changed.size(), 2);
    }

    void selectStock_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("text");
        QTest::newRow("known id") << u("1000001") << true << u("000001 上证指数");
        QTest::newRow("unknown id") << u("9999999") << false << QString();
        QTest::newRow("empty id") << QString() << false << QString();
    }
    void selectStock()
    {
        QFETCH(QString, id);
        QFETCH(bool, found);
        QFETCH(QString, text);
        m_edit->setFilterDisableStockType(u("K")); // choosing by id is not searching
        QCOMPARE(m_edit->selectStock(id), found);
        QCOMPARE(m_edit->isEmpty(), !found);
        QCOMPARE(m_edit->getStockId(), found ? id : QString());
        QCOMPARE(m_edit->editor()->text(), text);
        QVERIFY(!popup()->isVisible());
    }

    void withoutSourceNothingIsFound()
    {
        VStockEdit edit;
        edit.show();
        type(edit.editor(), u("600"));
        QCOMPARE(edit.matches()->rowCount(), 0);
        QVERIFY(!edit.selectStock(u("1600519")));
    }

    void missingCacheIsLogged()
    {
        m_caches.reset(new VCacheMgr);
        m_helper.reset(new HostStockHelper(m_caches.data(), &m_dict));
        m_helper->connectStockEdit(m_edit.data());
        type(m_edit->editor(), u("600"));
        QCOMPARE(m_edit->matches()->rowCount(), 0);
        bool logged = false;
        for (const VLogRecord &record : qAsConst(m_log.records))
            logged = logged || record.level == 3;
        QVERIFY(logged);
    }
};

QTEST_MAIN(StockEditTest)
#include "tst_vstockedit.moc"
