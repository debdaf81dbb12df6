#pragma once

#include "vquotnats_global.h"

#include <QByteArray>
#include <QString>

typedef struct __natsConnection natsConnection;

// The bus's last-value cache: the JetStream stream "TARN_QUOT" keeps the
// latest frame published on every quote subject (one message per subject,
// in memory, on three servers of a cluster so it outlives the loss of one;
// on a single server, one copy). A client that starts wanting a security
// reads its latest record from any server that holds a copy (a direct get)
// instead of waiting for its next tick.
namespace VNatsQuotStream {

constexpr char Name[] = "TARN_QUOT";
constexpr int Replicas = 3;

// Creates the stream, or brings an existing one to this configuration; the
// connection's user must be allowed to. Waits for the servers' answer, up to two
// seconds.
// False with error set (the server's reason) when the bus keeps no stream:
// no JetStream, too few servers, no permission.
VQUOTNATS_EXPORT bool create(natsConnection *connection, QString *error);

// The subject that asks the stream for the latest message on subject.
VQUOTNATS_EXPORT QByteArray latestRequestSubject(const QByteArray &subject);

} // namespace VNatsQuotStream
