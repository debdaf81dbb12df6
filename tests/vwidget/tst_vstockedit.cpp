#include <hoststockhelper.h>
#include <testhost.h>
#include <testutil.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdatadict.h>
#include <vstockedit.h>
#include <vstockhelper.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QtTest>

class StockEditTest : public QObject
{
    Q_OBJECT

private:
    VCacheMgr m_caches;
    VDataDict m_dict;
    QScopedPointer<HostStockHelper> m_helper;

private slots:
    void initTestCase()
    {
        m_dict.setItem(u("4"), u("1"), u("上海"));
        m_dict.setItem(u("4"), u("2"), u("深圳"));
        auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
        QVERIFY(stocks->load({u("stkid"), u("market"), u("stkcode"), u("stkname"), u("stktype"), u("pinyin")},
                             {{u("1600519"), u("1"), u("600519"), u("贵州茅台"), u("0"), u("gzmt")},
                              {u("1600000"), u("1"), u("600000"), u("浦发银行"), u("0"), u("pfyh")},
                              {u("2000001"), u("2"), u("000001"), u("平安银行"), u("0"), u("payh")},
                              {u("1000001"), u("1"), u("000001"), u("上证指数"), u("K"), u("szzs")},
                              {u("2000002"), u("2"), u("000002"), u("万科A"), u("0"), u("wka")}}));
        m_caches.addCache(stocks);
        m_helper.reset(new HostStockHelper(&m_caches, &m_dict));
    }
    // Over five securities of the test's own, or over the sample market, whose securities carry their
    // initials so that a trader's usual searches find them.
    void listsMatchesAndEnterChoosesTheFirst_data()
    {
        QTest::addColumn<bool>("sample");
        QTest::addColumn<QString>("hiddenTypes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("rows"); // code, name and market of each match
        QTest::addColumn<QString>("chosen"); // id and market character of the first
        const auto row = [](const char *tag, bool sample, const char *hiddenTypes, const char *text, const char *rows,
                            const char *chosen) {
            QTest::newRow(tag) << sample << u(hiddenTypes) << u(text) << u(rows) << u(chosen);
        };
        row("code prefix", false, "", "600", "600519 贵州茅台 上海;600000 浦发银行 上海", "1600519 1");
        row("name fragment", false, "", "银行", "600000 浦发银行 上海;000001 平安银行 深圳", "1600000 1");
        row("a type hidden", false, "K", "000001", "000001 平安银行 深圳", "2000001 2");
        row("filter off", false, "*", "000001", "000001 平安银行 深圳;000001 上证指数 上海", "2000001 2");
        row("pinyin initials", false, "", "gzmt", "600519 贵州茅台 上海", "1600519 1");
        row("initials in capitals", false, "", "PA", "000001 平安银行 深圳", "2000001 2");
        row("letter of a name", false, "", "a", "000002 万科A 深圳", "2000002 2");
        row("sample: 行 of a bank reads hang", true, "", "zsyh", "600036 招商银行 上交所;601916 浙商银行 上交所", "1600036 1");
        row("sample: 长 of a river reads chang", true, "", "cjdl", "600900 长江电力 上交所", "1600900 1");
    }
    void listsMatchesAndEnterChoosesTheFirst()
    {
        QFETCH(bool, sample);
        QFETCH(QString, hiddenTypes);
        QFETCH(QString, text);
        QFETCH(QString, rows);
        QScopedPointer<TestHost> host(sample ? new TestHost(20261215, QStringLiteral(TARN_DATA_DIR)) : nullptr);
        VStockEdit edit;
        (sample ? host->context().stockHelper() : m_helper.data())->connectStockEdit(&edit);
        edit.show();
        edit.setFilterDisableStockType(hiddenTypes);
        typeText(edit.editor(), text);
        QStringList listed;
        for (int row = 0; row < edit.matches()->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < 3; ++column)
                cells << edit.matches()->index(row, column).data().toString();
            listed << cells.join(QLatin1Char(' '));
        }
        QCOMPARE(listed.join(QLatin1Char(';')), rows);

        QTest::keyClick(edit.findChild<QCompleter *>()->popup(), Qt::Key_Return);
        const QString codeAndName = edit.getStockCode() + QLatin1Char(' ') + edit.getStockName();
        QVERIFY(rows.startsWith(codeAndName));
        QCOMPARE(edit.editor()->text(), codeAndName);
        QTEST(edit.getStockId() + QLatin1Char(' ') + QLatin1Char(edit.getStockMarket()), "chosen");
        typeText(edit.editor(), u("6")); // typing again forgets the choice
        QVERIFY(edit.isEmpty());
        QCOMPARE(edit.getStockId(), QString());
    }
};

QTEST_MAIN(StockEditTest)
#include "tst_vstockedit.moc"
