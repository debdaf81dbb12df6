#include <vdialog.h>
#include <vfutils.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

namespace {

constexpr int Frame = vc::CWM_SHADOW_WIDTH + vc::CWM_BORDER_WIDTH;

// A dialog built the way the client's dialogs build theirs: a layout set on the dialog itself.
class NameDialog : public VDialog
{
public:
    explicit NameDialog(QWidget *parent = nullptr)
        : VDialog(parent, vc::CWM_SHADOW_WIDTH, vc::CWM_BORDER_WIDTH)
        , edit(new QLineEdit)
        , button(new QPushButton(QStringLiteral("确定")))
    {
        auto *layout = new QHBoxLayout(this);
        layout->addWidget(edit);
        layout->addWidget(button);
        resize(309, 95);
        setWindowTitle(QStringLiteral("更改分组名称"));
    }

    QLineEdit *edit;
    QPushButton *button;
};

} // namespace

class TestVDialog : public QObject
{
    Q_OBJECT

private slots:
    void isFramelessAndTranslucent();
    void titleFollowsWindowTitle();
    void closeButtonCloses();
    void subclassLayoutLiesInsideFrame();
    void titleBarDragMovesDialog_data();
    void titleBarDragMovesDialog();
};

void TestVDialog::isFramelessAndTranslucent()
{
    NameDialog dialog;
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(dialog.windowType(), Qt::Dialog);
    QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(dialog.titleRect(), QRect(Frame, Frame, 309 - 2 * Frame, VDialog::TitleHeight));
}

void TestVDialog::titleFollowsWindowTitle()
{
    NameDialog dialog;
    auto *title = dialog.findChild<QLabel *>(QStringLiteral("titleLabel"));
    QVERIFY(title);
    QCOMPARE(title->text(), QStringLiteral("更改分组名称"));
    dialog.setWindowTitle(QStringLiteral("新建分组"));
    QCOMPARE(title->text(), QStringLiteral("新建分组"));
}

void TestVDialog::closeButtonCloses()
{
    QPointer<NameDialog> dialog = new NameDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QSignalSpy rejected(dialog.data(), &QDialog::rejected);
    auto *close = dialog->findChild<QToolButton *>(QStringLiteral("closeButton"));
    QVERIFY(close);
    QTest::mouseClick(close, Qt::LeftButton);
    QCOMPARE(rejected.count(), 1);
    QTRY_VERIFY(dialog.isNull());
}

void TestVDialog::subclassLayoutLiesInsideFrame()
{
    NameDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    const QRect inside = dialog.rect().adjusted(Frame, Frame + VDialog::TitleHeight, -Frame, -Frame);
    QVERIFY(inside.contains(dialog.edit->geometry()));
    QVERIFY(inside.contains(dialog.button->geometry()));
    QVERIFY(dialog.edit->width() > 0 && dialog.button->width() > 0);

    const QRect title = dialog.titleRect();
    auto *close = dialog.findChild<QToolButton *>(QStringLiteral("closeButton"));
    auto *label = dialog.findChild<QLabel *>(QStringLiteral("titleLabel"));
    QVERIFY(title.contains(close->geometry()));
    QVERIFY(title.contains(label->geometry()));
    QVERIFY(!label->geometry().intersects(close->geometry()));
    QCOMPARE(close->geometry().right(), title.right());

    // The frame grows with the contents instead of cutting them.
    QVERIFY(dialog.minimumSizeHint().height()
            >= 2 * Frame + VDialog::TitleHeight + dialog.edit->minimumSizeHint().height());
}

void TestVDialog::titleBarDragMovesDialog_data()
{
    QTest::addColumn<QPoint>("press"); // relative to the title bar's top left
    QTest::addColumn<bool>("moves");

    QTest::newRow("on the title text") << QPoint(20, VDialog::TitleHeight / 2) << true;
    QTest::newRow("top edge of the title bar") << QPoint(200, 0) << true;
    QTest::newRow("below the title bar") << QPoint(20, VDialog::TitleHeight + 30) << false;
}

void TestVDialog::titleBarDragMovesDialog()
{
    QFETCH(QPoint, press);
    QFETCH(bool, moves);

    NameDialog dialog;
    dialog.move(100, 100);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPoint start = dialog.pos();

    // Through the window, so the event reaches whatever child lies under the point.
    QWindow *window = dialog.windowHandle();
    const QPoint at = dialog.titleRect().topLeft() + press;
    const QPoint target = window->mapToGlobal(at + QPoint(30, 20));
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseMove(window, at + QPoint(30, 20));
    // Released where the cursor now is, which the moved window sees at another local point.
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, window->mapFromGlobal(target));
    QCOMPARE(dialog.pos(), moves ? start + QPoint(30, 20) : start);
}

QTEST_MAIN(TestVDialog)
#include "tst_vdialog.moc"
