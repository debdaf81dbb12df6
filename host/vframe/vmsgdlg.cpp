#include "vmsgdlg.h"

#include "vmsgbox.h"

#include <voutput.h>

#include <QApplication>
#include <QPointer>

VMsgPresenter::~VMsgPresenter() = default;

namespace {

// The window a box is about: the modal dialog that is running (the user's
// input there is what the box answers), else the active window.
QWidget *ownerWindow()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// Shows each request in a VMsgBox over its owner. Modal boxes (and every
// confirmation) are the owner's children, run their own event loop and are
// deleted when they return; non-modal boxes are shown at once, outlive
// their owner and delete themselves when closed.
class MessageBoxPresenter : public VMsgPresenter
{
public:
    bool present(const VMsgRequest &request) override
    {
        if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
            VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                    QStringLiteral("无界面,未显示消息: %1").arg(request.text));
            return false;
        }
        QWidget *owner = ownerWindow();
        const bool modal = request.kind == VMsgRequest::Confirm || request.modality != Qt::NonModal;
        if (!modal) {
            auto *box = new VMsgBox(request, owner);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->show();
            return true;
        }
        // The owner may go while the box runs, and take the box with it.
        QPointer<VMsgBox> box = new VMsgBox(request, owner, owner);
        box->setWindowModality(request.modality == Qt::NonModal ? Qt::ApplicationModal : request.modality);
        const bool accepted = box->exec() == QDialog::Accepted;
        delete box;
        return request.kind != VMsgRequest::Confirm || accepted;
    }
};

VMsgPresenter *s_presenter = nullptr;

VMsgPresenter *presenter()
{
    static MessageBoxPresenter messageBoxes;
    return s_presenter ? s_presenter : &messageBoxes;
}

bool show(VMsgRequest::Kind kind, const QString &text, const QString &title, Qt::WindowModality modality, int seconds)
{
    VMsgRequest request;
    request.kind = kind;
    request.text = text;
    request.title = title;
    request.modality = modality;
    request.autoCloseSeconds = seconds;
    return presenter()->present(request);
}

} // namespace

bool VMsgDlg::info(const QString &text, const QString &title, Qt::WindowModality modality, int option)
{
    return show(VMsgRequest::Info, text, title, modality, option);
}

bool VMsgDlg::error(const QString &text, const QString &title, Qt::WindowModality modality, int option)
{
    return show(VMsgRequest::Error, text, title, modality, option);
}

bool VMsgDlg::confirm(const QString &text, const QString &title, const QStringList &buttons, int defaultButton)
{
    VMsgRequest request;
    request.kind = VMsgRequest::Confirm;
    request.text = text;
    request.title = title;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    return presenter()->present(request);
}

void VMsgDlg::setPresenter(VMsgPresenter *presenter)
{
    s_presenter = presenter;
}
