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

enum class Answer { Yes, No, Gone };

inline Answer ask(QObject *watchlist, const QString &text)
{
    const QPointer<QObject> alive(watchlist);
    const bool yes = VMsgDlg::confirm(text);
    return !alive ? Answer::Gone : yes ? Answer::Yes : Answer::No;
}

} // namespace StkPrompts
