#pragma once

#include "vdialog.h"
#include "vmsgdlg.h"

#include <QPointer>

// One message in the client's frame (VDialog): an icon by kind, the text
// (rich when it holds a tag) and a row of buttons, the first accepting and
// every other one refusing, as Escape and the close button do. Framed by
// the client itself, the box has no minimise or maximise button under any
// window manager. It opens centred over its owner, which, unlike a parent,
// does not take the box with it when it closes.
class VFRAME_EXPORT VMsgBox : public VDialog
{
    Q_OBJECT
public:
    // Buttons: the request's for a confirmation ("确定" and "取消" by
    // default, "取消" added to a single one), "确定" otherwise.
    VMsgBox(const VMsgRequest &request, QWidget *owner, QWidget *parent = nullptr);

protected:
    QWidget *placementAnchor() const override;

private:
    QPointer<QWidget> m_owner;
};
