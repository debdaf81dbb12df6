#pragma once

#include <vmsgdlg.h>

#include <QObject>
#include <QPointer>
#include <QString>

// The watchlist's message boxes. A modal box runs the event loop, in which
// the host may free the watchlist: these tell the caller whether it is
// still there; when it is gone, the caller touches nothing of it.
namespace StkPrompts {

inline bool info(QObject *watchlist, const QString &text)
{
    const QPointer<QObject> alive(watchlist);
    VMsgDlg::info(text, QString(), Qt::WindowModal);
    return alive;
}

// A change of the group the database did not keep; the watchlist shows the
// group as it was.
inline bool notSaved(QObject *watchlist, const QString &group)
{
    const QPointer<QObject> alive(watchlist);
    VMsgDlg::error(QStringLiteral("分组<font color='red'>[%1]</font>保存失败!").arg(group), QString(), Qt::WindowModal);
    return alive;
}

enum class Answer { Yes, No, Gone };

inline Answer ask(QObject *watchlist, const QString &text)
{
    const QPointer<QObject> alive(watchlist);
    const bool yes = VMsgDlg::confirm(text);
    return !alive ? Answer::Gone : yes ? Answer::Yes : Answer::No;
}

} // namespace StkPrompts
