#include <vdialog.h>
#include <vfutils.h>

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

// A dialog built the way the client's dialogs build theirs: a layout set on the dialog itself.
class NameDialog : public VDialog
{
public:
    NameDialog()
        : VDialog(nullptr, vc::CWM_SHADOW_WIDTH, vc::CWM_BORDER_WIDTH)
    {
        (new QHBoxLayout(this))->addWidget(edit);
        resize(309, 95);
        move(100, 100);
        show();
    }
    QLineEdit *edit = new QLineEdit;
};

class TestVDialog : public QObject
{
    Q_OBJECT

private slots:
    void closeButtonCloses()
    {
        QPointer<NameDialog> dialog = new NameDialog;
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QSignalSpy rejected(dialog.data(), &QDialog::rejected);
        QTest::mouseClick(dialog->findChild<QToolButton *>(QStringLiteral("closeButton")), Qt::LeftButton);
        QCOMPARE(rejected.count(), 1);
        QTRY_VERIFY(dialog.isNull());
    }

    void layoutLiesInsideTheFrameAndTheTitleBarDrags()
    {
        NameDialog dialog;
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const int frame = vc::CWM_SHADOW_WIDTH + vc::CWM_BORDER_WIDTH;
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
};

QTEST_MAIN(TestVDialog)
#include "tst_vdialog.moc"
