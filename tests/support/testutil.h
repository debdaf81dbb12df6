#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QtTest>

// Short UTF-8 literals for test tables: u("自选股1").
inline QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// The blank-separated words of a table cell: words("H|a H|b").
inline QStringList words(const char *utf8)
{
    return QString::fromUtf8(utf8).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Writes bytes as the whole content of the file at path.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The bytes of the file at path; empty when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The watchlist's tabs: its checkable buttons with a text.
inline QStringList tabNames(QWidget *watchlist)
{
    QStringList names;
    for (const QAbstractButton *button : watchlist->findChildren<QAbstractButton *>()) {
        if (button->isCheckable() && !button->text().isEmpty())
            names << button->text();
    }
    return names;
}

// Types as the keyboard would, one character at a time (QTest::keyClicks
// would squeeze Chinese characters through Latin-1).
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// As the window system delivers a double-click: a click, then a double-click and its release.
inline void doubleClick(QWidget *widget, const QPoint &pos = QPoint())
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

// Makes the item holding data current in parent's combo box of that name, as a user's choice.
inline void choose(QObject *parent, const char *combo, const QVariant &data)
{
    auto *box = parent->findChild<QComboBox *>(QLatin1String(combo));
    box->setCurrentIndex(box->findData(data));
}

// Empty when the window rectangle inner is centred over outer, to the few
// pixels by which a box settles its size as it shows; otherwise where both
// are, for QTRY_COMPARE(offCentre(...), QString()) to report.
inline QString offCentre(const QRect &inner, const QRect &outer)
{
    if ((inner.center() - outer.center()).manhattanLength() <= 8)
        return QString();
    const auto text = [](const QRect &r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    return text(inner) + QStringLiteral(" over ") + text(outer);
}

// Runs program to its end in the folder home, its user folders (settings,
// data, the session's private runtime folder) in home too, on the offscreen
// display or, without display, on none. Its exit code, -1 when it did not end
// normally; errors and output get what it printed on either stream.
inline int runProgram(const QString &program, const QStringList &arguments, const QString &home, QString *errors,
                      bool display = true, QString *output = nullptr)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/share"));
    // Qt would say that a session lacks one; home is a temporary folder, mode 0700, as a runtime folder must be.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    if (display)
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    else
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(name));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(home);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    *errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
