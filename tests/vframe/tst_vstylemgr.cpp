#include <logcapture.h>
#include <vstylemgr.h>

#include <QSignalSpy>
#include <QtTest>

class TestVStyleMgr : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyResourceInEveryStyle_data();
    void everyResourceInEveryStyle();
    void quoteColoursReadAsTheMarketShowsThem();
    void unknownNameIsInvalidAndLoggedOnce();
    void setStyleAnnouncesTheChange();
    void unknownStyleChangesNothing();
    void overrideLastsUntilNextStyle();
};

void TestVStyleMgr::initTestCase()
{
    VLog::setFileLogging(false);
}

void TestVStyleMgr::everyResourceInEveryStyle_data()
{
    QTest::addColumn<QString>("name");
    // The names the components and the quote widget read.
    for (const char *name :
         {"Qout_Border_Color", "Qout_Title_Font_Color", "Qout_Background_Color", "Qout_Label_Font_Color",
          "Qout_Rise_Color", "Qout_Fall_Color", "Qout_Neutral_Color", "Qout_Volume_Color"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestVStyleMgr::everyResourceInEveryStyle()
{
    QFETCH(QString, name);
    QVERIFY(VStyleMgr::resourceNames().contains(name));
    LogCapture log;
    VStyleMgr styles;
    QCOMPARE(styles.style(), QStringLiteral("light"));
    const QColor light = styles.colorRes(name);
    QVERIFY(light.isValid());
    QVERIFY(styles.setStyle(QStringLiteral("dark")));
    const QColor dark = styles.colorRes(name);
    QVERIFY(dark.isValid());
    QVERIFY(log.records.isEmpty());
}

void TestVStyleMgr::quoteColoursReadAsTheMarketShowsThem()
{
    VStyleMgr styles;
    for (const QString &style : VStyleMgr::styles()) {
        QVERIFY(styles.setStyle(style));
        const QColor rise = styles.colorRes(QStringLiteral("Qout_Rise_Color"));
        const QColor fall = styles.colorRes(QStringLiteral("Qout_Fall_Color"));
        const QColor background = styles.colorRes(QStringLiteral("Qout_Background_Color"));
        QVERIFY2(rise.red() > 2 * rise.green() && rise.red() > 2 * rise.blue(), qPrintable(style));
        QVERIFY2(fall.green() > 2 * fall.red() && fall.green() > 2 * fall.blue(), qPrintable(style));
        // Text stays readable on the background.
        for (const char *text : {"Qout_Title_Font_Color", "Qout_Label_Font_Color", "Qout_Neutral_Color"}) {
            const int contrast = qAbs(styles.colorRes(QString::fromLatin1(text)).lightness() - background.lightness());
            QVERIFY2(contrast > 60, text);
        }
    }
    QVERIFY(styles.setStyle(QStringLiteral("light")));
    QCOMPARE(styles.colorRes(QStringLiteral("Qout_Rise_Color")), QColor(0xDC, 0x0A, 0x0A));
}

void TestVStyleMgr::unknownNameIsInvalidAndLoggedOnce()
{
    VStyleMgr styles;
    LogCapture log;
    QVERIFY(!styles.colorRes(QStringLiteral("Qout_Nothing")).isValid());
    QVERIFY(!styles.colorRes(QStringLiteral("Qout_Nothing")).isValid());
    QVERIFY(!styles.colorRes(QStringLiteral("qout_border_color")).isValid());
    QCOMPARE(log.records.size(), 2);
    QCOMPARE(log.records.at(0).level, 3);
    QVERIFY(log.records.at(0).message.contains(QStringLiteral("Qout_Nothing")));
    QVERIFY(log.records.at(1).message.contains(QStringLiteral("qout_border_color")));
}

void TestVStyleMgr::setStyleAnnouncesTheChange()
{
    VStyleMgr styles;
    QSignalSpy changed(&styles, &VStyleMgr::onSystemStyleChanged);
    const QColor lightBackground = styles.colorRes(QStringLiteral("Qout_Background_Color"));
    QVERIFY(styles.setStyle(QStringLiteral("dark")));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(styles.style(), QStringLiteral("dark"));
    QVERIFY(styles.colorRes(QStringLiteral("Qout_Background_Color")).lightness() < lightBackground.lightness());
    QVERIFY(styles.setStyle(QStringLiteral("light")));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(styles.colorRes(QStringLiteral("Qout_Background_Color")), lightBackground);
}

void TestVStyleMgr::unknownStyleChangesNothing()
{
    VStyleMgr styles;
    QSignalSpy changed(&styles, &VStyleMgr::onSystemStyleChanged);
    LogCapture log;
    QVERIFY(!styles.setStyle(QStringLiteral("blue")));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(styles.style(), QStringLiteral("light"));
    QCOMPARE(log.records.size(), 1);
    QCOMPARE(log.records.constFirst().level, 3);
}

void TestVStyleMgr::overrideLastsUntilNextStyle()
{
    VStyleMgr styles;
    const QColor border = styles.colorRes(QStringLiteral("Qout_Border_Color"));
    styles.setColorRes(QStringLiteral("Qout_Border_Color"), Qt::blue);
    QCOMPARE(styles.colorRes(QStringLiteral("Qout_Border_Color")), QColor(Qt::blue));
    QVERIFY(styles.setStyle(QStringLiteral("light")));
    QCOMPARE(styles.colorRes(QStringLiteral("Qout_Border_Color")), border);
}

QTEST_GUILESS_MAIN(TestVStyleMgr)
#include "tst_vstylemgr.moc"
