#include <msgrecorder.h>
#include <vlogsink.h>
#include <vmsgdlg.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

Q_DECLARE_METATYPE(Qt::WindowModality)

namespace {

QStringList texts(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *text : list)
        result << QString::fromUtf8(text);
    return result;
}

QList<QMessageBox *> shownBoxes()
{
    QList<QMessageBox *> boxes;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible())
            boxes << box;
    }
    return boxes;
}

QStringList buttonTexts(const QMessageBox *box)
{
    QStringList list;
    const QList<QAbstractButton *> buttons = box->buttons();
    for (const QAbstractButton *button : buttons)
        list << button->text();
    list.sort();
    return list;
}

// Runs action on the first message box that a blocking call shows, from
// inside the box's own event loop. A box that never appears, or one that
// is still open after the deadline, is closed so the test cannot hang.
class WhenBoxShows : public QObject
{
public:
    using Finder = std::function<QMessageBox *()>;

    WhenBoxShows(std::function<void(QMessageBox *)> action, Finder finder = activeModalBox)
        : m_action(std::move(action))
        , m_finder(std::move(finder))
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            QMessageBox *box = m_finder();
            if (!box || !box->isVisible())
                return;
            m_poll.stop();
            seen = true;
            m_action(box);
        });
        m_poll.start(10);
        QTimer::singleShot(5000, this, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                forcedClose = true;
                modal->close();
            }
        });
    }

    bool seen = false;
    bool forcedClose = false;

private:
    static QMessageBox *activeModalBox() { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); }

    std::function<void(QMessageBox *)> m_action;
    Finder m_finder;
    QTimer m_poll;
};

} // namespace

class TestVMsgDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void requestsReachThePresenter_data();
    void requestsReachThePresenter();
    void confirmAnswers_data();
    void confirmAnswers();

    void nonModalBoxClosesItself();
    void textFormat_data();
    void textFormat();
    void modalBoxClosesItself();
    void windowModalBoxBelongsToActiveWindow();
    void confirmBox_data();
    void confirmBox();
};

void TestVMsgDlg::initTestCase()
{
    VLog::setFileLogging(false);
}

void TestVMsgDlg::requestsReachThePresenter_data()
{
    QTest::addColumn<bool>("error");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<Qt::WindowModality>("modality");
    QTest::addColumn<int>("option");

    QTest::newRow("info, non-modal, closes after 5 s")
        << false << "订阅<600000>行情失败." << QString() << Qt::NonModal << 5;
    QTest::newRow("info, window-modal") << false << "未创建分组!" << QString() << Qt::WindowModal << 0;
    QTest::newRow("error, application-modal, red part")
        << true << "证券<font color='red'>[上海|浦发银行]</font>订阅行情失败!" << QString() << Qt::ApplicationModal
        << 0;
    QTest::newRow("error with title") << true << "失败"
                                      << "行情" << Qt::WindowModal << 3;
}

void TestVMsgDlg::requestsReachThePresenter()
{
    QFETCH(bool, error);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(Qt::WindowModality, modality);
    QFETCH(int, option);

    MsgRecorder recorder;
    QVERIFY(error ? VMsgDlg::error(text, title, modality, option) : VMsgDlg::info(text, title, modality, option));
    QCOMPARE(recorder.requests.size(), 1);
    const VMsgRequest &request = recorder.requests.constFirst();
    QCOMPARE(request.kind, error ? VMsgRequest::Error : VMsgRequest::Info);
    QCOMPARE(request.text, text);
    QCOMPARE(request.title, title);
    QCOMPARE(request.modality, modality);
    QCOMPARE(request.autoCloseSeconds, option);
}

void TestVMsgDlg::confirmAnswers_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("defaultButton");

    QTest::newRow("accepted") << true << QStringList() << 0;
    QTest::newRow("refused") << false << QStringList() << 0;
    QTest::newRow("own buttons, second default") << false << texts({"删除", "保留"}) << 1;
}

void TestVMsgDlg::confirmAnswers()
{
    QFETCH(bool, answer);
    QFETCH(QStringList, buttons);
    QFETCH(int, defaultButton);

    MsgRecorder recorder;
    recorder.answers << answer;
    const QString text = QStringLiteral("删除当前组<font color='red'>[自选1]</font>?");
    QCOMPARE(VMsgDlg::confirm(text, QString(), buttons, defaultButton), answer);
    const VMsgRequest &request = recorder.requests.constFirst();
    QCOMPARE(request.kind, VMsgRequest::Confirm);
    QCOMPARE(request.text, text);
    QCOMPARE(request.buttons, buttons);
    QCOMPARE(request.defaultButton, defaultButton);
}

void TestVMsgDlg::nonModalBoxClosesItself()
{
    QVERIFY(shownBoxes().isEmpty());
    const QString text = QStringLiteral("订阅<600000>行情失败.");
    QVERIFY(VMsgDlg::info(text, QString(), Qt::NonModal, 1));
    const QList<QMessageBox *> boxes = shownBoxes();
    QCOMPARE(boxes.size(), 1);
    QPointer<QMessageBox> box = boxes.constFirst();
    QVERIFY(!box->parentWidget());
    QCOMPARE(box->windowModality(), Qt::NonModal);
    QCOMPARE(box->text(), text);
    QCOMPARE(box->textFormat(), Qt::PlainText); // "<600000>" is not a tag
    QCOMPARE(box->icon(), QMessageBox::Information);
    QVERIFY(!box->windowTitle().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), 5000);
}

void TestVMsgDlg::textFormat_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("shown");

    QTest::newRow("plain") << "未选中股票!" << int(Qt::PlainText) << "未选中股票!";
    QTest::newRow("red part") << "删除当前组内股票<font color='red'>[上海|浦发银行]</font>?" << int(Qt::RichText)
                              << "删除当前组内股票<font color='red'>[上海|浦发银行]</font>?";
    QTest::newRow("blanks in tag") << "证券<font color = 'red'>[上海|浦发银行]</font>订阅行情失败!" << int(Qt::RichText)
                                   << "证券<font color = 'red'>[上海|浦发银行]</font>订阅行情失败!";
    QTest::newRow("tag on second line") << "订阅失败:\n<font color='red'>600000</font>" << int(Qt::RichText)
                                        << "订阅失败:<br><font color='red'>600000</font>";
    QTest::newRow("comparison") << "a < b\nb > c" << int(Qt::PlainText) << "a < b\nb > c";
}

void TestVMsgDlg::textFormat()
{
    QFETCH(QString, text);
    QFETCH(int, format);
    QFETCH(QString, shown);

    QVERIFY(VMsgDlg::error(text, QString(), Qt::NonModal, 0));
    const QList<QMessageBox *> boxes = shownBoxes();
    QCOMPARE(boxes.size(), 1);
    QPointer<QMessageBox> box = boxes.constFirst();
    QCOMPARE(int(box->textFormat()), format);
    QCOMPARE(box->text(), shown);
    QCOMPARE(box->icon(), QMessageBox::Critical);
    box->close();
    QTRY_VERIFY(box.isNull());
}

void TestVMsgDlg::modalBoxClosesItself()
{
    QString shownText;
    WhenBoxShows watcher([&](QMessageBox *box) { shownText = box->text(); });
    QVERIFY(VMsgDlg::info(QStringLiteral("未创建分组!"), QString(), Qt::ApplicationModal, 1));
    QVERIFY(watcher.seen);
    QVERIFY(!watcher.forcedClose);
    QCOMPARE(shownText, QStringLiteral("未创建分组!"));
    QVERIFY(shownBoxes().isEmpty());
}

void TestVMsgDlg::windowModalBoxBelongsToActiveWindow()
{
    QWidget window;
    window.resize(400, 300);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QWidget *parent = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    WhenBoxShows watcher(
        [&](QMessageBox *box) {
            parent = box->parentWidget();
            modality = box->windowModality();
            box->buttons().constFirst()->click();
        },
        [&] { return window.findChild<QMessageBox *>(); });
    QVERIFY(VMsgDlg::info(QStringLiteral("分组名已存在!"), QString(), Qt::WindowModal, 0));
    QVERIFY(watcher.seen);
    QVERIFY(!watcher.forcedClose);
    QCOMPARE(parent, &window);
    QCOMPARE(modality, Qt::WindowModal);
    QVERIFY(!window.findChild<QMessageBox *>());
}

void TestVMsgDlg::confirmBox_data()
{
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<QString>("press"); // a button's text, or "Esc"
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("defaultText");

    QTest::newRow("default buttons, accept")
        << QStringList() << 0 << "确定" << true << texts({"取消", "确定"}) << "确定";
    QTest::newRow("default buttons, refuse")
        << QStringList() << 1 << "取消" << false << texts({"取消", "确定"}) << "取消";
    QTest::newRow("own buttons, accept") << texts({"删除", "保留"}) << 1 << "删除" << true << texts({"保留", "删除"})
                                         << "保留";
    QTest::newRow("escape refuses") << QStringList() << 0 << "Esc" << false << texts({"取消", "确定"}) << "确定";
    QTest::newRow("one button gets a refusal")
        << texts({"继续"}) << 0 << "取消" << false << texts({"取消", "继续"}) << "继续";
}

void TestVMsgDlg::confirmBox()
{
    QFETCH(QStringList, buttons);
    QFETCH(int, defaultButton);
    QFETCH(QString, press);
    QFETCH(bool, accepted);
    QFETCH(QStringList, shown);
    QFETCH(QString, defaultText);

    QStringList shownButtons;
    QString shownDefault;
    Qt::TextFormat format = Qt::AutoText;
    WhenBoxShows watcher([&](QMessageBox *box) {
        shownButtons = buttonTexts(box);
        shownDefault = box->defaultButton() ? box->defaultButton()->text() : QString();
        format = box->textFormat();
        if (press == QLatin1String("Esc")) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        const QList<QAbstractButton *> list = box->buttons();
        for (QAbstractButton *button : list) {
            if (button->text() == press)
                button->click();
        }
    });
    const QString text = QStringLiteral("删除当前组<font color='red'>[自选1]</font>?");
    QCOMPARE(VMsgDlg::confirm(text, QString(), buttons, defaultButton), accepted);
    QVERIFY(watcher.seen);
    QVERIFY(!watcher.forcedClose);
    QCOMPARE(shownButtons, shown);
    QCOMPARE(shownDefault, defaultText);
    QCOMPARE(format, Qt::RichText);
    QVERIFY(shownBoxes().isEmpty());
}

QTEST_MAIN(TestVMsgDlg)
#include "tst_vmsgdlg.moc"
