#include "msgrecorder.h"

bool MsgRecorder::present(const VMsgRequest &request)
{
    requests.append(request);
    if (onPresent)
        onPresent(request);
    return request.kind != VMsgRequest::Confirm || answers.isEmpty() || answers.takeFirst();
}

QStringList MsgRecorder::texts() const
{
    QStringList list;
    for (const VMsgRequest &r : requests)
        list << r.text;
    return list;
}
