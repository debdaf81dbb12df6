// The client's framed dialogs, and the message boxes made of them.

#include <testutil.h>
#include <vdialog.h>
#include <vfutils.h>
#include <vmsgbox.h>
#include <vmsgdlg.h>
#include <vwindowplace.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QtTest>


class TestVDialog : public QObject
{
    Q_OBJECT

private slots:
    // Placed before it is shown, so a window manager keeps the place: centred over the parent. The layout
    // lies inside the frame, below the title bar, by which the dialog is dragged.
    void placementLayoutAndDrag()
    {
        QWidget parent;
        parent.setGeometry(QRect(QPoint(), parent.screen()->availableGeometry().size() * 3 / 4));
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        // Built the way the client's dialogs build theirs: a layout set on the dialog itself.
        VDialog dialog(&parent, vc::CWM_SHADOW_WIDTH, vc::CWM_BORDER_WIDTH);
        auto *edit = new QLineEdit;
        (new QHBoxLayout(&dialog))->addWidget(edit);
        dialog.resize(309, 95);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTRY_COMPARE(offCentre(dialog.geometry(), parent.geometry()), QString());
        const int frame = dialog.shadowWidth() + vc::CWM_BORDER_WIDTH;
        const QRect inside = dialog.rect().adjusted(frame, frame + VDialog::TitleHeight, -frame, -frame);
        QVERIFY(inside.contains(edit->geometry()));

        // Through the window, so the event reaches whatever child lies under the point.
        QWindow *window = dialog.windowHandle();
        const QPoint start = dialog.pos(), at = dialog.titleRect().topLeft() + QPoint(20, 10);
        const QPoint target = window->mapToGlobal(at + QPoint(30, 20));
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseMove(window, at + QPoint(30, 20));
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, window->mapFromGlobal(target));
        QCOMPARE(dialog.pos(), start + QPoint(30, 20));
    }

    // The shadow is translucent, so it is drawn only where the window system
    // composites; elsewhere the border alone frames the dialog. The offscreen
    // platform composites; TARN_EXPECT_COMPOSITING (0 or 1) says what a real
    // X server is expected to do.
    void shadowOnlyWhereComposited()
    {
        const QByteArray expected = qgetenv("TARN_EXPECT_COMPOSITING");
        const bool composites = expected.isEmpty() ? true : expected == "1";
        QCOMPARE(vf::windowSystemComposites(), composites);
        VDialog dialog(nullptr, vc::CWM_SHADOW_WIDTH, vc::CWM_BORDER_WIDTH);
        dialog.resize(309, 95);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.testAttribute(Qt::WA_TranslucentBackground), composites);
        QCOMPARE(dialog.shadowWidth(), composites ? vc::CWM_SHADOW_WIDTH : 0);
        const QImage image = dialog.grab().toImage();
        QCOMPARE(image.pixelColor(0, dialog.height() / 2).alpha() < 255, composites);
    }

    // A non-modal box returns at once and closes itself. It opens centred over the window it is about (a
    // running modal dialog before the active window), whatever a window manager would do with it, in the
    // client's own frame: no window manager adds buttons. Angle brackets are no tag; a later line may be coloured.
    void nonModalBox_data()
    {
        QTest::addColumn<bool>("overModalDialog");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("shown");
        QTest::newRow("over the active window, angle brackets")
            << false << "订阅<600000>行情失败." << int(Qt::PlainText) << "订阅<600000>行情失败.";
        QTest::newRow("over a running modal dialog, red part on a second line")
            << true << "订阅失败:\n<font color='red'>600000</font>" << int(Qt::RichText)
            << "订阅失败:<br><font color='red'>600000</font>";
    }
    void nonModalBox()
    {
        QFETCH(bool, overModalDialog);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QWidget window;
        window.setGeometry(QRect(QPoint(), window.screen()->availableGeometry().size() * 3 / 4));
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QDialog dialog(&window);
        dialog.resize(200, 120);
        if (overModalDialog) {
            dialog.open();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        }
        QWidget *owner = overModalDialog ? static_cast<QWidget *>(&dialog) : &window;

        QVERIFY(VMsgDlg::error(text, QString(), Qt::NonModal, 3));
        QList<VMsgBox *> boxes; // shown, not the owner's children
        for (QWidget *shown : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<VMsgBox *>(shown); box && box->isVisible())
                boxes << box;
        }
        QCOMPARE(boxes.size(), 1);
        QPointer<VMsgBox> box = boxes.constFirst();
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QTRY_COMPARE_WITH_TIMEOUT(offCentre(box->geometry(), owner->geometry()), QString(), 1000); // before it closes
        QCOMPARE(box->windowType(), Qt::Dialog);
        QVERIFY(box->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(box->windowTitle(), QStringLiteral("错误"));
        const auto *label = box->findChild<QLabel *>(QStringLiteral("textLabel"));
        QTEST(int(label->textFormat()), "format");
        QCOMPARE(label->text(), shown);
        QTRY_VERIFY_WITH_TIMEOUT(box.isNull(), 5000);
    }

    // A confirmation: the first button accepts; any other button, Escape and
    // the close button refuse; Enter takes the default button.
    void confirmationAnswers_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("first button") << "删除" << 1 << true;
        QTest::newRow("second button") << "保留" << 0 << false;
        QTest::newRow("Escape") << "Escape" << 0 << false;
        QTest::newRow("close button") << "close" << 0 << false;
        QTest::newRow("Enter, default first") << "Enter" << 0 << true;
        QTest::newRow("Enter, default second") << "Enter" << 1 << false;
    }
    void confirmationAnswers()
    {
        QFETCH(QString, action);
        QFETCH(int, defaultButton);
        QTimer::singleShot(0, [action] {
            auto *box = qobject_cast<VMsgBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            if (action == QLatin1String("Escape") || action == QLatin1String("Enter"))
                QTest::keyClick(box, action == QLatin1String("Escape") ? Qt::Key_Escape : Qt::Key_Return);
            else if (action == QLatin1String("close"))
                box->findChild<QToolButton *>(QStringLiteral("closeButton"))->click();
            for (QPushButton *button : box->findChildren<QPushButton *>()) {
                if (button->text() == action)
                    QTest::mouseClick(button, Qt::LeftButton);
            }
        });
        QTEST(VMsgDlg::confirm(u("删除当前组?"), QString(), {u("删除"), u("保留")}, defaultButton), "accepted");
    }
};

QTEST_MAIN(TestVDialog)
#include "tst_vdialog.moc"
