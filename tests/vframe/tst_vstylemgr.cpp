#include <logcapture.h>
#include <vstylemgr.h>

#include <QApplication>
#include <QtTest>

class TestVStyleMgr : public QObject
{
    Q_OBJECT

private slots:
    // The names the components read, in every style, and what a switch announces. A switch repaints the
    // whole application: its palette is the style's, from the start.
    void everyResourceInEveryStyle()
    {
        LogCapture log;
        VStyleMgr styles;
        QSignalSpy changed(&styles, &VStyleMgr::onSystemStyleChanged);
        const auto paletteIsTheStyles = [&styles] {
            const QPalette palette = QApplication::palette();
            return palette.color(QPalette::Window) == styles.colorRes(QStringLiteral("Wnd_Window_Color"))
                && palette.color(QPalette::WindowText) == styles.colorRes(QStringLiteral("Wnd_Text_Color"))
                && palette.color(QPalette::Base) == styles.colorRes(QStringLiteral("Wnd_Base_Color"))
                && palette.color(QPalette::Text) == styles.colorRes(QStringLiteral("Wnd_Text_Color"))
                && palette.color(QPalette::Button) == styles.colorRes(QStringLiteral("Wnd_Button_Color"))
                && palette.color(QPalette::Highlight) == styles.colorRes(QStringLiteral("Wnd_Highlight_Color"));
        };
        QVERIFY(paletteIsTheStyles());
        const QPalette light = QApplication::palette();
        const QColor lightBackground = styles.colorRes(QStringLiteral("Qout_Background_Color"));
        for (const QString &style : VStyleMgr::styles()) {
            QVERIFY(styles.setStyle(style));
            QVERIFY(paletteIsTheStyles());
            for (const char *name :
                 {"Qout_Border_Color", "Qout_Title_Font_Color", "Qout_Background_Color", "Qout_Label_Font_Color",
                  "Qout_Rise_Color", "Qout_Fall_Color", "Qout_Neutral_Color", "Stk_Code_Font_Color",
                  "Stk_Rise_Color", "Stk_Fall_Color"})
                QVERIFY2(styles.colorRes(QString::fromLatin1(name)).isValid(), name);
        }
        QCOMPARE(changed.count(), 2);
        for (const QPalette::ColorRole role :
             {QPalette::Window, QPalette::WindowText, QPalette::Base, QPalette::Button, QPalette::Highlight})
            QVERIFY(QApplication::palette().color(role) != light.color(role));
        QVERIFY(styles.colorRes(QStringLiteral("Qout_Background_Color")) != lightBackground);
        QVERIFY(!styles.setStyle(QStringLiteral("blue")));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(styles.style(), QStringLiteral("dark"));
        QCOMPARE(log.records().size(), 1);
    }
};

QTEST_MAIN(TestVStyleMgr)
#include "tst_vstylemgr.moc"
