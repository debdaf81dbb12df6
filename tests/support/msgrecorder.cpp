#include "msgrecorder.h"

MsgRecorder::MsgRecorder()
{
    VMsgDlg::setPresenter(this);
}

MsgRecorder::~MsgRecorder()
{
    VMsgDlg::setPresenter(nullptr);
}

bool MsgRecorder::present(const VMsgRequest &request)
{
    requests.append(request);
    if (onPresent)
        onPresent(request);
    if (request.kind != VMsgRequest::Confirm)
        return true;
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

QStringList MsgRecorder::texts() const
{
    QStringList list;
    for (const VMsgRequest &r : requests)
        list << r.text;
    return list;
}
