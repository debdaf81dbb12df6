#include <vcontrolbar.h>
#include <vtabbutton.h>

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPointer>
#include <QToolButton>
#include <QtTest>

class ControlBarTest : public QObject
{
    Q_OBJECT

private:
    static QList<QToolButton *> scrollButtons(VControlBar &bar)
    {
        return bar.findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly);
    }
    static VTabButton *tab(const QString &text)
    {
        auto *t = new VTabButton;
        t->setText(text);
        t->setFixedSize(88, 24);
        return t;
    }

private slots:
    void scrollButtonsFollowTheWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("buttons");
        QTest::newRow("all fit") << 5 * 89 + 10 << false;
        QTest::newRow("exactly fits") << 5 * 88 + 4 << false;
        QTest::newRow("too narrow") << 200 << true;
    }
    void scrollButtonsFollowTheWidth()
    {
        QFETCH(int, width);
        QFETCH(bool, buttons);
        VControlBar bar;
        bar.setSpacing(1);
        for (int i = 0; i < 5; ++i)
            bar.addWidget(tab(QString::number(i)));
        bar.resize(width, 24);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        const QList<QToolButton *> arrows = scrollButtons(bar);
        QCOMPARE(arrows.size(), 2);
        QCOMPARE(arrows.at(0)->isVisible(), buttons);
        QCOMPARE(arrows.at(1)->isVisible(), buttons);
        QCOMPARE(bar.sizeHint().width(), 5 * 88 + 4);
    }

    void scrollingMovesOneWidgetAtATime()
    {
        VControlBar bar;
        bar.setSpacing(1);
        bar.setScrollButtonSize(16);
        for (int i = 0; i < 5; ++i)
            bar.addWidget(tab(QString::number(i)));
        bar.resize(200, 24);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QToolButton *forward = scrollButtons(bar).at(0);
        QToolButton *back = scrollButtons(bar).at(1);
        QCOMPARE(bar.firstVisible(), 0);
        QVERIFY(!forward->isEnabled());
        QVERIFY(back->isEnabled());

        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(bar.firstVisible(), 1);
        QCOMPARE(bar.at(1)->mapTo(&bar, QPoint(0, 0)).x(), 0);
        for (int i = 0; i < 10; ++i)
            QTest::mouseClick(back, Qt::LeftButton);
        // Scrolling stops once the last tab shows whole.
        QCOMPARE(bar.firstVisible(), 4);
        QVERIFY(!back->isEnabled());
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(bar.firstVisible(), 3);

        bar.ensureVisible(bar.at(0));
        QCOMPARE(bar.firstVisible(), 0);
        bar.ensureVisible(bar.at(2));
        QCOMPARE(bar.firstVisible(), 2);
        bar.ensureVisible(bar.at(4));
        QCOMPARE(bar.firstVisible(), 4);

        bar.resize(600, 24);
        QCOMPARE(bar.firstVisible(), 0);
        QVERIFY(!back->isVisible());
    }

    void removeDeletesWhenAsked_data()
    {
        QTest::addColumn<bool>("deleteOnRemove");
        QTest::newRow("deletes") << true;
        QTest::newRow("keeps") << false;
    }
    void removeDeletesWhenAsked()
    {
        QFETCH(bool, deleteOnRemove);
        VControlBar bar;
        bar.setDeleteOnRemove(deleteOnRemove);
        QPointer<VTabButton> first = tab(QStringLiteral("a"));
        bar.addWidget(first);
        bar.addWidget(tab(QStringLiteral("b")));
        bar.removeWidget(first);
        QCOMPARE(bar.count(), 1);
        QCOMPARE(qobject_cast<VTabButton *>(bar.at(0))->text(), QStringLiteral("b"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(first.isNull(), deleteOnRemove);
        delete first;
    }

    void internalButtonEmitsItsId()
    {
        VTabButton *t = tab(QStringLiteral("自选股1"));
        t->addInternalButton(QStringLiteral("3"), vd::AP_Right, QPoint(6, 0), QString(), QString(), false, false);
        VControlBar bar;
        bar.addWidget(t);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));

        QAbstractButton *close = t->internalButton(QStringLiteral("3"));
        QVERIFY(close && close->isVisible());
        QCOMPARE(close->geometry().right(), t->width() - 6 - 1);
        QCOMPARE(close->geometry().center().y(), t->rect().center().y());

        QSignalSpy internal(t, &VTabButton::onInternalButtonClicked);
        QSignalSpy tabClicked(t, &QToolButton::clicked);
        QTest::mouseClick(close, Qt::LeftButton);
        QCOMPARE(internal.size(), 1);
        QCOMPARE(internal.first().first().toString(), QStringLiteral("3"));
        QCOMPARE(tabClicked.size(), 0);
    }

    void internalButtonVisibility_data()
    {
        QTest::addColumn<bool>("showOnHover");
        QTest::addColumn<bool>("showWhenChecked");
        QTest::addColumn<bool>("hovered");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("visible");
        QTest::newRow("always") << false << false << false << false << true;
        QTest::newRow("hover only, away") << true << false << false << true << false;
        QTest::newRow("hover only, over") << true << false << true << false << true;
        QTest::newRow("checked only, unchecked") << false << true << true << false << false;
        QTest::newRow("checked only, checked") << false << true << false << true << true;
        QTest::newRow("both, neither") << true << true << false << false << false;
        QTest::newRow("both, checked") << true << true << false << true << true;
    }
    void internalButtonVisibility()
    {
        QFETCH(bool, showOnHover);
        QFETCH(bool, showWhenChecked);
        QFETCH(bool, hovered);
        QFETCH(bool, checked);
        QFETCH(bool, visible);
        VTabButton t;
        t.setCheckable(true);
        t.addInternalButton(QStringLiteral("x"), vd::AP_Right, QPoint(6, 0), QString(), QString(), showOnHover,
                            showWhenChecked);
        t.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t));
        t.setChecked(checked);
        if (hovered) {
            QEvent enter(QEvent::Enter);
            QCoreApplication::sendEvent(&t, &enter);
        }
        QCOMPARE(t.internalButton(QStringLiteral("x"))->isVisible(), visible);
        if (hovered) {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(&t, &leave);
            const bool always = !showOnHover && !showWhenChecked;
            QCOMPARE(t.internalButton(QStringLiteral("x"))->isVisible(), always || (showWhenChecked && checked));
        }
    }
};

QTEST_MAIN(ControlBarTest)
#include "tst_vcontrolbar.moc"
