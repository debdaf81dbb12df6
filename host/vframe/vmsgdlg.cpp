#include "vmsgdlg.h"

#include <voutput.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>

VMsgPresenter::~VMsgPresenter() = default;

namespace {

// Qt only looks for a tag on the first line of a text; the client's texts
// may open with plain words and colour a later line.
bool isRichText(const QString &text)
{
    const QVector<QStringRef> lines = text.splitRef(QLatin1Char('\n'));
    for (const QStringRef &line : lines) {
        if (Qt::mightBeRichText(line.toString()))
            return true;
    }
    return false;
}

QString defaultTitle(VMsgRequest::Kind kind)
{
    switch (kind) {
    case VMsgRequest::Info: return QStringLiteral("提示");
    case VMsgRequest::Error: return QStringLiteral("错误");
    case VMsgRequest::Confirm: return QStringLiteral("确认");
    }
    return QString();
}

QMessageBox::Icon iconOf(VMsgRequest::Kind kind)
{
    switch (kind) {
    case VMsgRequest::Info: return QMessageBox::Information;
    case VMsgRequest::Error: return QMessageBox::Critical;
    case VMsgRequest::Confirm: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// Shows each request in a QMessageBox. Modal boxes (and every confirmation)
// run their own event loop and are deleted when they return; non-modal boxes
// are shown at once and delete themselves when closed.
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
        const bool modal = request.kind == VMsgRequest::Confirm || request.modality != Qt::NonModal;
        QPointer<QMessageBox> box = new QMessageBox(modal ? QApplication::activeWindow() : nullptr);
        box->setIcon(iconOf(request.kind));
        box->setWindowTitle(request.title.isEmpty() ? defaultTitle(request.kind) : request.title);
        if (isRichText(request.text)) {
            box->setTextFormat(Qt::RichText);
            box->setText(QString(request.text).replace(QLatin1Char('\n'), QLatin1String("<br>")));
        } else {
            box->setTextFormat(Qt::PlainText);
            box->setText(request.text);
        }

        if (request.kind == VMsgRequest::Confirm)
            return confirm(box, request);

        box->addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        if (request.autoCloseSeconds > 0)
            QTimer::singleShot(request.autoCloseSeconds * 1000, box, &QWidget::close);
        if (!modal) {
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setWindowModality(Qt::NonModal);
            box->show();
            return true;
        }
        box->setWindowModality(request.modality);
        box->exec();
        delete box;
        return true;
    }

private:
    // The first button accepts, every other one refuses; the second is the
    // escape button so the box can always be closed.
    static bool confirm(QPointer<QMessageBox> box, const VMsgRequest &request)
    {
        QStringList texts = request.buttons;
        if (texts.isEmpty())
            texts << QStringLiteral("确定");
        if (texts.size() < 2)
            texts << QStringLiteral("取消");
        QList<QPushButton *> buttons;
        for (int i = 0; i < texts.size(); ++i)
            buttons << box->addButton(texts.at(i), i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
        box->setDefaultButton(buttons.value(request.defaultButton, buttons.constFirst()));
        box->setEscapeButton(buttons.at(1));
        box->setWindowModality(request.modality == Qt::NonModal ? Qt::ApplicationModal : request.modality);
        box->exec();
        const bool accepted = box && box->clickedButton() == buttons.constFirst();
        delete box;
        return accepted;
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
