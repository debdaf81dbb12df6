#pragma once

#include <QString>
#include <QtTest>

// Short UTF-8 literals for test tables: u("自选股1").
inline QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Types as the keyboard would, one character at a time (QTest::keyClicks
// would squeeze Chinese characters through Latin-1).
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}
