#pragma once

#include "vquotnats_global.h"

#include <vquotdata.h>

#include <QByteArray>
#include <cstddef>

// A quote record as it travels on the bus: a header (the magic "TQRD", a
// version and the record's size, both 16-bit little-endian; from version 2
// on, the publisher's sequence number of the frame, 64-bit little-endian)
// followed by the record's binary layout. The sequence orders the records
// of one security wherever they come from (the live subject or the stream's
// latest record). A reader takes versions 1 and 2 and refuses any other
// version or size, so the layout can change without old clients misreading
// new frames.
namespace VQuotFrame {

constexpr quint16 Version = 2;
constexpr int HeaderSize = 16;
constexpr int Size = HeaderSize + int(sizeof(VQuotData));
// Version 1 carries no sequence; recordings keep it.
constexpr quint16 Version1 = 1;
constexpr int Version1HeaderSize = 8;
constexpr int Version1Size = Version1HeaderSize + int(sizeof(VQuotData));

// Why a frame was refused. The first kinds concern the frame, the others the
// record it carries (see vq::recordDefect).
enum class Defect : quint8 {
    None,
    Length, // shorter than its header, or not header plus record
    Magic,
    Version,
    RecordSize,
    Market,
    Code,
    Status,
    NotFinite,
    OutOfRange,
    Subject, // the record is not of the security whose subject carried it
};
constexpr int DefectKinds = int(Defect::Subject) + 1;

// Writes the version-2 frame of record with its publish sequence into frame
// (Size bytes); the record's reserved bytes go out as zeros.
VQUOTNATS_EXPORT void encode(const VQuotData &record, quint64 sequence, char *frame);
VQUOTNATS_EXPORT QByteArray encode(const VQuotData &record, quint64 sequence);
// The same as a version-1 frame (Version1Size bytes).
VQUOTNATS_EXPORT void encodeVersion1(const VQuotData &record, char *frame);

// Checks size bytes of untrusted input and fills record only from a frame
// that passes; on any defect record must not be used. detail, when given,
// says more about a record's defect (the field) for the log; sequence, when
// given, receives the frame's publish sequence, 0 for a version-1 frame.
VQUOTNATS_EXPORT Defect decode(const char *data, size_t size, VQuotData &record, QString *detail = nullptr,
                               quint64 *sequence = nullptr);

// The kind of defect in words, for the log.
VQUOTNATS_EXPORT QString defectText(Defect defect);

} // namespace VQuotFrame
