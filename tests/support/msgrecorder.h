#pragma once

#include <vmsgdlg.h>

#include <QList>
#include <functional>

// Records every message box instead of showing it and answers confirmations
// from the queue of answers, yes once it is empty.
class MsgRecorder : public VMsgPresenter
{
public:
    MsgRecorder() { VMsgDlg::setPresenter(this); }
    ~MsgRecorder() override { VMsgDlg::setPresenter(nullptr); }
    bool present(const VMsgRequest &request) override;

    QList<VMsgRequest> requests;
    QList<bool> answers;
    // Runs inside present(), as a modal box would run while the caller waits.
    std::function<void(const VMsgRequest &)> onPresent;

    QStringList texts() const;
};
