#include <testutil.h>
#include <vdialog.h>
#include <vfutils.h>
#include <vwindowplace.h>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QScreen>
#include <QtTest>

// A dialog built the way the client's dialogs build theirs: a layout set on the dialog itself.
class NameDialog : public VDialog
{
public:
    // Without a parent the dialog is placed at (100, 100).
    explicit NameDialog(QWidget *parent = nullptr)
        : VDialog(parent, vc::CWM_SHADOW_WIDTH, vc::CWM_BORDER_WIDTH)
    {
        (new QHBoxLayout(this))->addWidget(edit);
        resize(309, 95);
        if (!parent)
            move(100, 100);
        show();
    }
    QLineEdit *edit = new QLineEdit;
};

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
        NameDialog dialog(&parent);
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTRY_COMPARE(offCentre(dialog.geometry(), parent.geometry()), QString());
        const int frame = dialog.shadowWidth() + vc::CWM_BORDER_WIDTH;
        const QRect inside = dialog.rect().adjusted(frame, frame + VDialog::TitleHeight, -frame, -frame);
        QVERIFY(inside.contains(dialog.edit->geometry()));

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
        NameDialog dialog;
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.testAttribute(Qt::WA_TranslucentBackground), composites);
        QCOMPARE(dialog.shadowWidth(), composites ? vc::CWM_SHADOW_WIDTH : 0);
        const QImage image = dialog.grab().toImage();
        QCOMPARE(image.pixelColor(0, dialog.height() / 2).alpha() < 255, composites);
    }
};

QTEST_MAIN(TestVDialog)
#include "tst_vdialog.moc"
