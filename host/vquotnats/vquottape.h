#pragma once

#include "vquotframe.h"
#include "vquotnats_global.h"

#include <QElapsedTimer>
#include <QFile>

// A recording of quote records for replay: an 8-byte file header (the magic
// "TQRT", a version and the frame size, 16-bit little-endian) followed by one
// entry per record, the nanoseconds since the recording began (64-bit
// little-endian) and the record's version-1 frame (VQuotFrame): the stamps
// order a recording, so it needs no publish sequence.
class VQUOTNATS_EXPORT VQuotTapeWriter
{
public:
    // Creates or truncates the file; false with error set when it cannot.
    bool open(const QString &path, QString *error);
    // Stamps the record with the time since open(). False once a write
    // failed (a full disk); error() says why.
    bool write(const VQuotData &record);
    QString error() const;
    void close();

private:
    QFile m_file;
    QElapsedTimer m_clock;
};

// Reads a recording; the file is as untrusted as the bus, so every frame
// is decoded by the player before use.
class VQUOTNATS_EXPORT VQuotTapeReader
{
public:
    // False with error set when the file cannot be read or is no recording
    // of this version.
    bool open(const QString &path, QString *error);
    // The next entry's time and frame; false at the end (a cut last entry
    // is left out).
    bool next(qint64 *nanoseconds, QByteArray *frame);

private:
    QFile m_file;
};
