#pragma once

#include "vframe_global.h"

#include <QStringList>

// One message the client shows to the user.
struct VMsgRequest
{
    enum Kind { Info, Error, Confirm };
    Kind kind = Info;
    QString text;
    QString title;
    Qt::WindowModality modality = Qt::ApplicationModal;
    // Info and error boxes: close by themselves after this many seconds (0: stay).
    int autoCloseSeconds = 0;
    // Confirm boxes: the button texts (accept first) and the default button's position.
    QStringList buttons;
    int defaultButton = 0;
};

// Shows message requests. The default presenter uses message boxes; tests
// install one that records the requests and answers confirmations.
class VFRAME_EXPORT VMsgPresenter
{
public:
    virtual ~VMsgPresenter();
    // Returns true when the user accepted (for info and error: the box was shown).
    virtual bool present(const VMsgRequest &request) = 0;
};

class VFRAME_EXPORT VMsgDlg
{
public:
    // option: seconds after which the box closes by itself, 0 to stay. A
    // non-modal box returns at once; a modal one when it is closed.
    static bool info(const QString &text, const QString &title = QString(),
                     Qt::WindowModality modality = Qt::ApplicationModal, int option = 0);
    static bool error(const QString &text, const QString &title = QString(),
                      Qt::WindowModality modality = Qt::ApplicationModal, int option = 0);
    // True when the user accepts. The first button text accepts, every other
    // one refuses; without texts the buttons are "确定" and "取消", and a
    // single text gets "取消" beside it.
    static bool confirm(const QString &text, const QString &title = QString(),
                        const QStringList &buttons = QStringList(), int defaultButton = 0);

    // Not owned; null restores the message-box presenter.
    static void setPresenter(VMsgPresenter *presenter);
};
