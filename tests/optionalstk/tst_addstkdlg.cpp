#include <optionalstk/addstkdlg.h>
#include <tarn.h>
#include <testhost.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vstockedit.h>

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

namespace {

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

void type(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

} // namespace

class AddStkDlgTest : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<TestHost> m_host;

    template<class Child> Child *child(QWidget *dialog, const char *name)
    {
        return dialog->findChild<Child *>(QString::fromLatin1(name));
    }

private slots:
    void init()
    {
        m_host.reset(new TestHost);
        auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
        QVERIFY(stocks->load(
            {u("stkid"), u("market"), u("stkcode"), u("stkname"), u("stktype"), u("priceunit"), u("preclose")},
            {{u("1600519"), u("1"), u("600519"), u("贵州茅台"), u("0"), u("0.01"), u("1700.00")},
             {u("2000001"), u("2"), u("000001"), u("平安银行"), u("0"), u("0.01"), u("11.20")}}));
        m_host->context().cacheMgr()->addCache(stocks);
        LoadBizModule(&m_host->context());
    }
    void cleanup()
    {
        UnloadBizModule();
        m_host.reset();
    }

    void form()
    {
        QPointer<AddStkDLG> dialog = new AddStkDLG;
        QCOMPARE(dialog->objectName(), u("AddStkDLG"));
        QCOMPARE(dialog->windowTitle(), u("添加股票到自选股"));
        QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
        auto *edit = child<VStockEdit>(dialog, "vStockEdit");
        auto *button = child<QPushButton>(dialog, "pushButton");
        QVERIFY(edit && button);
        QCOMPARE(edit->size(), QSize(170, 26));
        QCOMPARE(button->size(), QSize(75, 26));
        QCOMPARE(button->text(), u("添加"));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QCOMPARE(QApplication::focusWidget(), edit->editor());
        QTest::keyClick(edit->editor(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), button);
        dialog->close();
        QTRY_VERIFY(dialog.isNull());
    }

    void searchesTheHostsSecurities()
    {
        auto *dialog = new AddStkDLG;
        dialog->show();
        auto *edit = child<VStockEdit>(dialog, "vStockEdit");
        type(edit->editor(), u("银行"));
        QCOMPARE(edit->matches()->rowCount(), 1);
        QCOMPARE(edit->matches()->index(0, 0).data().toString(), u("000001"));
        dialog->close();
    }

    void addButton_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("emitted");
        QTest::newRow("empty entry") << QString() << 0;
        QTest::newRow("chosen security") << u("1600519") << 1;
    }
    void addButton()
    {
        QFETCH(QString, chosen);
        QFETCH(int, emitted);
        auto *dialog = new AddStkDLG;
        dialog->show();
        auto *edit = child<VStockEdit>(dialog, "vStockEdit");
        if (!chosen.isEmpty())
            QVERIFY(edit->selectStock(chosen));
        QSignalSpy sent(dialog, &AddStkDLG::sendData);
        QTest::mouseClick(child<QPushButton>(dialog, "pushButton"), Qt::LeftButton);
        QCOMPARE(sent.size(), emitted);
        QVERIFY(dialog->isVisible()); // open for the next security
        if (emitted) {
            QCOMPARE(sent.at(0).at(0).toString(), u("1600519"));
            QCOMPARE(sent.at(0).at(1).value<char>(), '1');
            QCOMPARE(sent.at(0).at(2).toString(), u("600519"));
            // The previous text stays, all selected, so typing replaces it.
            QCOMPARE(edit->editor()->text(), u("600519 贵州茅台"));
            QCOMPARE(edit->editor()->selectedText(), edit->editor()->text());
        }
        dialog->close();
    }

    void withoutHostItIsLogged()
    {
        UnloadBizModule();
        auto *dialog = new AddStkDLG;
        QVERIFY(!child<VStockEdit>(dialog, "vStockEdit")->stockSource());
        bool logged = false;
        for (const VLogRecord &record : qAsConst(m_host->log().records))
            logged = logged || record.level == 3;
        QVERIFY(logged);
        delete dialog;
    }
};

QTEST_MAIN(AddStkDlgTest)
#include "tst_addstkdlg.moc"
