#include <optionalstk/addstkdlg.h>
#include <optionalstk/changegroupdlg.h>
#include <tarn.h>
#include <testhost.h>
#include <testutil.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vstockedit.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class DialogsTest : public QObject
{
    Q_OBJECT

private:
    QScopedPointer<TestHost> m_host;

    template<class Child> static Child *child(QWidget *dialog, const char *name)
    {
        return dialog->findChild<Child *>(QLatin1String(name));
    }

private slots:
    void init()
    {
        m_host.reset(new TestHost);
        auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
        QVERIFY(stocks->load({u("stkid"), u("market"), u("stkcode"), u("stkname"), u("stktype")},
                             {{u("1600519"), u("1"), u("600519"), u("贵州茅台"), u("0")},
                              {u("2000001"), u("2"), u("000001"), u("平安银行"), u("0")}}));
        m_host->context().cacheMgr()->addCache(stocks);
        LoadBizModule(&m_host->context());
    }
    void cleanup()
    {
        UnloadBizModule();
        m_host.reset();
    }

    void addStkSearchesTheHostAndStaysOpen()
    {
        QScopedPointer<AddStkDLG> dialog(new AddStkDLG);
        dialog->show();
        auto *edit = child<VStockEdit>(dialog.data(), "vStockEdit");
        auto *add = child<QPushButton>(dialog.data(), "pushButton");
        QSignalSpy sent(dialog.data(), &AddStkDLG::sendData);
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(sent.size(), 0); // an empty entry emits nothing
        typeText(edit->editor(), u("平安"));
        QTest::keyClick(edit->findChild<QCompleter *>()->popup(), Qt::Key_Return);
        QTest::mouseClick(add, Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent.at(0), (QVariantList {u("2000001"), QVariant::fromValue('2'), u("000001")}));
        // Ready for the next search: typing replaces the previous security.
        QCOMPARE(edit->editor()->selectedText(), u("000001 平安银行"));
    }

    void groupName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("emitted"); // null: nothing, and the dialog stays open
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("spaces only are emitted") << u("   ") << u("   ");
        QTest::newRow("seventh character refused") << u("一二三四五六七") << u("一二三四五六");
    }
    void groupName()
    {
        QFETCH(QString, typed);
        QFETCH(QString, emitted);
        QScopedPointer<ChangeGroupDlg> dialog(new ChangeGroupDlg);
        dialog->show();
        typeText(child<QLineEdit>(dialog.data(), "lineEdit"), typed);
        QSignalSpy sent(dialog.data(), &ChangeGroupDlg::sendGroupName);
        QTest::mouseClick(child<QPushButton>(dialog.data(), "bnt_ok"), Qt::LeftButton);
        QCOMPARE(sent.size(), emitted.isNull() ? 0 : 1);
        QCOMPARE(dialog->isVisible(), emitted.isNull());
        if (!emitted.isNull())
            QCOMPARE(sent.at(0).at(0).toString(), emitted);
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
