#include "vnatsquotstream.h"

#include "vquotsubject.h"

#include <nats/nats.h>

namespace VNatsQuotStream {

namespace {

QString failure(natsStatus status, jsErrCode code)
{
    natsStatus ignored;
    const char *text = nats_GetLastError(&ignored);
    return QStringLiteral("%1 (%2)")
        .arg(QString::fromUtf8(text && *text ? text : natsStatus_GetText(status)))
        .arg(code);
}

} // namespace

bool create(natsConnection *connection, QString *error, int waitMs)
{
    jsCtx *js = nullptr;
    natsStatus status = natsConnection_JetStream(&js, connection, nullptr);
    if (status != NATS_OK) {
        *error = failure(status, jsErrCode(0));
        return false;
    }
    const QByteArray subjects = QByteArray(VQuotSubject::Prefix) + ".>";
    const char *subjectList[] = {subjects.constData()};
    jsStreamConfig config;
    jsStreamConfig_Init(&config);
    config.Name = Name;
    config.Subjects = subjectList;
    config.SubjectsLen = 1;
    config.Storage = js_FileStorage;
    config.MaxMsgsPerSubject = 1;
    config.Discard = js_DiscardOld;
    config.Replicas = Replicas;
    config.AllowDirect = true;
    jsOptions options;
    jsOptions_Init(&options);
    options.Wait = waitMs;
    jsErrCode code = jsErrCode(0);
    status = js_AddStream(nullptr, js, &config, &options, &code);
    if (status != NATS_OK && code == JSStreamReplicasNotSupportedErr) {
        // A single server: its one copy is all there is.
        config.Replicas = 1;
        status = js_AddStream(nullptr, js, &config, &options, &code);
    }
    if (status != NATS_OK && code == JSStreamNameExistErr)
        status = js_UpdateStream(nullptr, js, &config, &options, &code);
    if (status != NATS_OK)
        *error = failure(status, code);
    jsCtx_Destroy(js);
    return status == NATS_OK;
}

Holding inspect(natsConnection *connection, int waitMs, QString *error)
{
    Holding kept;
    jsCtx *js = nullptr;
    natsStatus status = natsConnection_JetStream(&js, connection, nullptr);
    jsErrCode code = jsErrCode(0);
    if (status == NATS_OK) {
        jsOptions options;
        jsOptions_Init(&options);
        options.Wait = waitMs;
        jsStreamInfo *info = nullptr;
        status = js_GetStreamInfo(&info, js, Name, &options, &code);
        if (status == NATS_OK) {
            kept.state = Holding::Present;
            kept.records = info->State.Msgs;
            jsStreamInfo_Destroy(info);
        } else if (code == JSStreamNotFoundErr) {
            kept.state = Holding::Missing;
        }
    }
    if (kept.state == Holding::Unknown)
        *error = failure(status, code);
    jsCtx_Destroy(js);
    return kept;
}

QByteArray latestRequestSubject(const QByteArray &subject)
{
    return QByteArray("$JS.API.DIRECT.GET.") + Name + '.' + subject;
}

} // namespace VNatsQuotStream
