#pragma once

#include "vquotnats_global.h"

#include <QByteArray>
#include <QString>

typedef struct __natsConnection natsConnection;

// The bus's last-value cache: the JetStream stream "TARN_QUOT" keeps the
// latest frame published on every quote subject (one message per subject,
// on three servers of a cluster so it outlives the loss of one; on a single
// server, one copy). Each server keeps its copy on disk: a server restarted
// after a crash reads it back and catches up on what it missed, and a
// cluster restarted whole still holds every security's latest record. (A
// replica kept in memory comes back empty, and nats-server 2.9 sometimes
// never brings such a replica up to date: the server stays unhealthy.) A client that starts wanting a security
// reads its latest record from any server that holds a copy (a direct get)
// instead of waiting for its next tick.
namespace VNatsQuotStream {

constexpr char Name[] = "TARN_QUOT";
constexpr int Replicas = 3;

// Creates the stream, or brings an existing one to this configuration; the
// connection's user must be allowed to. Waits for the servers' answer up to
// waitMs: each server makes its copy on disk, which took over two seconds
// on a busy two-core machine. False with error set (the server's reason)
// when the bus keeps no stream (no JetStream, too few servers, no
// permission) or gave no answer in time (it may still make the stream).
VQUOTNATS_EXPORT bool create(natsConnection *connection, QString *error, int waitMs = 5000);

// What the bus keeps of the stream: none (Missing), its records (Present), or
// no answer within waitMs (Unknown: a cluster without a JetStream leader
// yet, no permission) with error set.
struct Holding
{
    enum State { Missing, Present, Unknown } state = Unknown;
    quint64 records = 0;
};
VQUOTNATS_EXPORT Holding inspect(natsConnection *connection, int waitMs, QString *error);

// The subject that asks the stream for the latest message on subject.
VQUOTNATS_EXPORT QByteArray latestRequestSubject(const QByteArray &subject);

} // namespace VNatsQuotStream
