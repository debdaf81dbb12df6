#include <vcontrolbar.h>
#include <vtabbutton.h>

#include <QToolButton>
#include <QtTest>

class ControlBarTest : public QObject
{
    Q_OBJECT

private slots:
    // Five tabs of 88 pixels, 1 apart: 444 pixels in all.
    void scrollButtonsMoveOneTabAtATime()
    {
        VControlBar bar;
        bar.setSpacing(1);
        for (int i = 0; i < 5; ++i) {
            auto *tab = new VTabButton;
            tab->setFixedSize(88, 24);
            bar.addWidget(tab);
        }
        bar.resize(200, 24);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        const QList<QToolButton *> arrows = bar.findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly);
        QToolButton *forward = arrows.at(0);
        QToolButton *back = arrows.at(1);
        QVERIFY(back->isVisible() && back->isEnabled() && !forward->isEnabled());
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(bar.firstVisible(), 1);
        QCOMPARE(bar.at(1)->mapTo(&bar, QPoint(0, 0)).x(), 0);
        for (int i = 0; i < 10; ++i)
            QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(bar.firstVisible(), 4); // stops once the last tab shows whole
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(bar.firstVisible(), 3);

        bar.resize(5 * 88 + 4, 24); // everything fits: back to the first tab, no buttons
        QCOMPARE(bar.firstVisible(), 0);
        QVERIFY(!back->isVisible() && !forward->isVisible());
        bar.resize(5 * 88 + 3, 24);
        QVERIFY(back->isVisible() && forward->isVisible());
    }

    // A widget taken out of the bar stays the caller's to delete.
    void removeKeepsTheWidget()
    {
        VControlBar bar;
        QPointer<VTabButton> tab = new VTabButton;
        bar.addWidget(tab);
        bar.removeWidget(tab);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(bar.count(), 0);
        QVERIFY(tab);
        delete tab;
    }

    // One button of each kind: shown always, on hover, when checked, on either.
    // A click on one emits its id and does not click the tab.
    void internalButtons()
    {
        VTabButton tab;
        tab.setCheckable(true);
        const QStringList ids {QStringLiteral("always"), QStringLiteral("hover"), QStringLiteral("checked"),
                               QStringLiteral("either")};
        for (int i = 0; i < ids.size(); ++i)
            tab.addInternalButton(ids.at(i), vd::AP_Right, QPoint(4 + 14 * i, 0), QString(), QString(), i % 2 == 1,
                                  i > 1);
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        const auto shown = [&] {
            QStringList visible;
            for (const QString &id : ids)
                visible << (tab.internalButton(id)->isVisible() ? id : QString());
            return visible.join(QLatin1Char(' ')).simplified();
        };
        QCOMPARE(shown(), QStringLiteral("always"));
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QCoreApplication::sendEvent(&tab, &enter);
        QCOMPARE(shown(), QStringLiteral("always hover either"));
        QCoreApplication::sendEvent(&tab, &leave);
        tab.setChecked(true);
        QCOMPARE(shown(), QStringLiteral("always checked either"));

        QSignalSpy internal(&tab, &VTabButton::onInternalButtonClicked);
        QSignalSpy tabClicked(&tab, &QToolButton::clicked);
        QTest::mouseClick(tab.internalButton(QStringLiteral("checked")), Qt::LeftButton);
        QCOMPARE(internal, QList<QVariantList> {{QStringLiteral("checked")}});
        QCOMPARE(tabClicked.size(), 0);
    }
};

QTEST_MAIN(ControlBarTest)
#include "tst_vcontrolbar.moc"
