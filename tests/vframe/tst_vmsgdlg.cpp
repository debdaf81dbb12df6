#include <msgrecorder.h>
#include <vlogsink.h>
#include <vmsgdlg.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QtTest>

Q_DECLARE_METATYPE(Qt::WindowModality)
Q_DECLARE_METATYPE(VMsgRequest::Kind)

class TestVMsgDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VLog::setFileLogging(false); }

    // option: seconds before an info or error box closes, the default button of a confirmation.
    void requestsReachThePresenter_data()
    {
        QTest::addColumn<VMsgRequest::Kind>("kind");
        QTest::addColumn<Qt::WindowModality>("modality");
        QTest::addColumn<int>("option");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<bool>("answer");

        QTest::newRow("info, non-modal, closes after 5 s")
            << VMsgRequest::Info << Qt::NonModal << 5 << QStringList() << true;
        QTest::newRow("error, window-modal") << VMsgRequest::Error << Qt::WindowModal << 0 << QStringList() << true;
        QTest::newRow("confirm accepted") << VMsgRequest::Confirm << Qt::ApplicationModal << 0 << QStringList() << true;
        QTest::newRow("confirm refused, own buttons")
            << VMsgRequest::Confirm << Qt::ApplicationModal << 1
            << QStringList({QStringLiteral("删除"), QStringLiteral("保留")}) << false;
    }
    void requestsReachThePresenter()
    {
        QFETCH(VMsgRequest::Kind, kind);
        QFETCH(Qt::WindowModality, modality);
        QFETCH(int, option);
        QFETCH(QStringList, buttons);
        QFETCH(bool, answer);

        MsgRecorder recorder;
        recorder.answers << answer;
        const QString text = QStringLiteral("删除当前组<font color='red'>[自选1]</font>?");
        switch (kind) {
        case VMsgRequest::Info: QCOMPARE(VMsgDlg::info(text, QString(), modality, option), answer); break;
        case VMsgRequest::Error: QCOMPARE(VMsgDlg::error(text, QString(), modality, option), answer); break;
        case VMsgRequest::Confirm: QCOMPARE(VMsgDlg::confirm(text, QString(), buttons, option), answer); break;
        }
        QCOMPARE(recorder.requests.size(), 1);
        const VMsgRequest &request = recorder.requests.constFirst();
        QCOMPARE(request.kind, kind);
        QCOMPARE(request.text, text);
        QCOMPARE(request.modality, modality);
        QCOMPARE(request.buttons, buttons);
        QCOMPARE(kind == VMsgRequest::Confirm ? request.defaultButton : request.autoCloseSeconds, option);
    }

    // The message-box presenter: a non-modal box returns at once and closes itself.
    void nonModalBoxClosesItself_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("shown");

        QTest::newRow("angle brackets are no tag")
            << "订阅<600000>行情失败." << int(Qt::PlainText) << "订阅<600000>行情失败.";
        QTest::newRow("red part on a second line") << "订阅失败:\n<font color='red'>600000</font>" << int(Qt::RichText)
                                                   << "订阅失败:<br><font color='red'>600000</font>";
    }
    void nonModalBoxClosesItself()
    {
        QFETCH(QString, text);
        QFETCH(int, format);
        QFETCH(QString, shown);

        QVERIFY(VMsgDlg::error(text, QString(), Qt::NonModal, 1));
        QList<QMessageBox *> boxes;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible())
                boxes << box;
        }
        QCOMPARE(boxes.size(), 1);
        QPointer<QMessageBox> box = boxes.constFirst();
        QCOMPARE(box->windowModality(), Qt::NonModal);
        QCOMPARE(int(box->textFormat()), format);
        QCOMPARE(box->text(), shown);
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), 5000);
    }
};

QTEST_MAIN(TestVMsgDlg)
#include "tst_vmsgdlg.moc"
