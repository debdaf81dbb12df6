#include <logcapture.h>
#include <vstylemgr.h>

#include <QSignalSpy>
#include <QtTest>

class TestVStyleMgr : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VLog::setFileLogging(false); }

    // The names the components and the quote widget read, in every style, and what a switch announces.
    void everyResourceInEveryStyle()
    {
        LogCapture log;
        VStyleMgr styles;
        QSignalSpy changed(&styles, &VStyleMgr::onSystemStyleChanged);
        const QString background = QStringLiteral("Qout_Background_Color");
        const QColor light = styles.colorRes(background);
        for (const QString &style : {QStringLiteral("light"), QStringLiteral("dark")}) {
            QVERIFY(styles.setStyle(style));
            for (const char *name :
                 {"Qout_Border_Color", "Qout_Title_Font_Color", "Qout_Background_Color", "Qout_Label_Font_Color",
                  "Qout_Rise_Color", "Qout_Fall_Color", "Qout_Neutral_Color", "Qout_Volume_Color"})
                QVERIFY2(styles.colorRes(QString::fromLatin1(name)).isValid(), name);
        }
        QCOMPARE(changed.count(), 2);
        QVERIFY(styles.colorRes(background) != light);
        QVERIFY(log.records.isEmpty());
        QVERIFY(!styles.setStyle(QStringLiteral("blue")));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(styles.style(), QStringLiteral("dark"));
        QCOMPARE(log.records.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestVStyleMgr)
#include "tst_vstylemgr.moc"
