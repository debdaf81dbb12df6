#include <optionalstk/addstkdlg.h>
#include <optionalstk/changegroupdlg.h>
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

class DialogsTest : public QObject
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

    void addDialogForm()
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

    void addDialogSearchesTheHostsSecurities()
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

    void addDialogWithoutHostIsLogged()
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

    void groupDialogForm()
    {
        QPointer<ChangeGroupDlg> dialog = new ChangeGroupDlg;
        QCOMPARE(dialog->objectName(), u("ChangeGroupDlg"));
        QCOMPARE(dialog->windowTitle(), u("更改分组名称"));
        QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
        auto *line = child<QLineEdit>(dialog, "lineEdit");
        auto *ok = child<QPushButton>(dialog, "bnt_ok");
        QVERIFY(line && ok);
        QCOMPARE(line->size(), QSize(170, 26));
        QCOMPARE(ok->size(), QSize(75, 26));
        QCOMPARE(ok->text(), u("确定"));
        dialog->close();
        QTRY_VERIFY(dialog.isNull());
    }

    void groupName_data()
    {
        QTest::addColumn<QString>("prefilled");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("emitted"); // null: nothing
        QTest::newRow("empty keeps the dialog open") << QString() << QString() << QString();
        QTest::newRow("spaces only are emitted") << QString() << u("   ") << u("   ");
        QTest::newRow("prefilled name") << u("自选股") << QString() << u("自选股");
        QTest::newRow("prefilled, extended") << u("自选股") << u("2") << u("自选股2");
        QTest::newRow("seventh digit refused") << QString() << u("1234567") << u("123456");
        QTest::newRow("seventh character refused") << QString() << u("一二三四五六七") << u("一二三四五六");
    }
    void groupName()
    {
        QFETCH(QString, prefilled);
        QFETCH(QString, typed);
        QFETCH(QString, emitted);
        auto *dialog = new ChangeGroupDlg;
        dialog->setText(prefilled);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        auto *line = child<QLineEdit>(dialog, "lineEdit");
        line->end(false);
        type(line, typed);
        QSignalSpy sent(dialog, &ChangeGroupDlg::sendGroupName);
        QSignalSpy accepted(dialog, &QDialog::accepted);
        QTest::mouseClick(child<QPushButton>(dialog, "bnt_ok"), Qt::LeftButton);
        if (emitted.isNull()) {
            QCOMPARE(sent.size(), 0);
            QCOMPARE(accepted.size(), 0);
            QVERIFY(dialog->isVisible());
        } else {
            QCOMPARE(sent.size(), 1);
            QCOMPARE(sent.at(0).at(0).toString(), emitted);
            QCOMPARE(accepted.size(), 1);
            QVERIFY(!dialog->isVisible());
        }
        dialog->close();
    }

    // Run modally, as the watchlist does; a receiver that rejects the name
    // closes the dialog (and opens a fresh one) from inside the signal.
    void receiverMayCloseTheModalDialog()
    {
        QPointer<ChangeGroupDlg> dialog = new ChangeGroupDlg;
        dialog->setText(u("长线"));
        QSignalSpy sent(dialog.data(), &ChangeGroupDlg::sendGroupName);
        connect(dialog, &ChangeGroupDlg::sendGroupName, dialog, &QWidget::close);
        QTimer::singleShot(
            0, dialog, [this, &dialog] { QTest::mouseClick(child<QPushButton>(dialog, "bnt_ok"), Qt::LeftButton); });
        dialog->exec();
        QCOMPARE(sent.size(), 1);
        QVERIFY(dialog.isNull()); // deleted when closed
    }
};

QTEST_MAIN(DialogsTest)
#include "tst_dialogs.moc"
