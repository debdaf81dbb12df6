#include <optionalstk/changegroupdlg.h>

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
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

class ChangeGroupDlgTest : public QObject
{
    Q_OBJECT

private:
    template<class Child> Child *child(QWidget *dialog, const char *name)
    {
        return dialog->findChild<Child *>(QString::fromLatin1(name));
    }

private slots:
    void form()
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

    void name_data()
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
    void name()
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

QTEST_MAIN(ChangeGroupDlgTest)
#include "tst_changegroupdlg.moc"
