#include <logcapture.h>
#include <vstylemgr.h>

#include <QApplication>
#include <QPalette>
#include <QSignalSpy>
#include <QtTest>

class TestVStyleMgr : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VLog::setFileLogging(false); }

    // The names the components read, in every style, and what a switch announces.
    void everyResourceInEveryStyle()
    {
        LogCapture log;
        VStyleMgr styles;
        QSignalSpy changed(&styles, &VStyleMgr::onSystemStyleChanged);
        const QString background = QStringLiteral("Qout_Background_Color");
        const QColor light = styles.colorRes(background);
        QCOMPARE(VStyleMgr::styles(), (QStringList {QStringLiteral("light"), QStringLiteral("dark")}));
        for (const QString &style : VStyleMgr::styles()) {
            QVERIFY(styles.setStyle(style));
            for (const char *name :
                 {"Qout_Border_Color", "Qout_Title_Font_Color", "Qout_Background_Color", "Qout_Label_Font_Color",
                  "Qout_Rise_Color", "Qout_Fall_Color", "Qout_Neutral_Color", "Stk_Code_Font_Color",
                  "Stk_Rise_Color", "Stk_Fall_Color"})
                QVERIFY2(styles.colorRes(QString::fromLatin1(name)).isValid(), name);
        }
        QCOMPARE(changed.count(), 2);
        QVERIFY(styles.colorRes(background) != light);
        QVERIFY(log.records.isEmpty());
        QVERIFY(!styles.setStyle(QStringLiteral("blue")));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(styles.style(), QStringLiteral("dark"));
        QCOMPARE(log.records.size(), 1);
        QCOMPARE(VStyleMgr::styleTitle(QStringLiteral("light")), QStringLiteral("浅色"));
        QCOMPARE(VStyleMgr::styleTitle(QStringLiteral("dark")), QStringLiteral("深色"));
    }

    // A switch repaints the whole application: its palette is the style's.
    void applicationTakesTheStylePalette_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("resource");
        QTest::newRow("window") << int(QPalette::Window) << "Wnd_Window_Color";
        QTest::newRow("window text") << int(QPalette::WindowText) << "Wnd_Text_Color";
        QTest::newRow("base") << int(QPalette::Base) << "Wnd_Base_Color";
        QTest::newRow("text") << int(QPalette::Text) << "Wnd_Text_Color";
        QTest::newRow("button") << int(QPalette::Button) << "Wnd_Button_Color";
        QTest::newRow("highlight") << int(QPalette::Highlight) << "Wnd_Highlight_Color";
    }
    void applicationTakesTheStylePalette()
    {
        QFETCH(int, role);
        QFETCH(QString, resource);
        VStyleMgr styles;
        const QColor light = QApplication::palette().color(QPalette::ColorRole(role));
        QCOMPARE(light, styles.colorRes(resource));
        QVERIFY(styles.setStyle(QStringLiteral("dark")));
        QCOMPARE(QApplication::palette().color(QPalette::ColorRole(role)), styles.colorRes(resource));
        QVERIFY(QApplication::palette().color(QPalette::ColorRole(role)) != light);
    }
};

QTEST_MAIN(TestVStyleMgr)
#include "tst_vstylemgr.moc"
