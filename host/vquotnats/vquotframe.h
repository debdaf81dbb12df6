#pragma once

#include "vquotnats_global.h"

#include <vquotdata.h>

#include <QByteArray>
#include <cstddef>

// A quote record as it travels on the bus: an 8-byte header (the magic
// "TQRD", a version and the record's size, both 16-bit little-endian)
// followed by the record's binary layout. A reader refuses any version or
// size it does not know, so the layout can change without old clients
// misreading new frames.
namespace VQuotFrame {

constexpr int HeaderSize = 8;
constexpr quint16 Version = 1;
constexpr int Size = HeaderSize + int(sizeof(VQuotData));

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

// Writes the frame of record into frame (Size bytes); the record's reserved
// bytes go out as zeros.
VQUOTNATS_EXPORT void encode(const VQuotData &record, char *frame);
VQUOTNATS_EXPORT QByteArray encode(const VQuotData &record);

// Checks size bytes of untrusted input and fills record only from a frame
// that passes; on any defect record must not be used. detail, when given,
// says more about a record's defect (the field) for the log.
VQUOTNATS_EXPORT Defect decode(const char *data, size_t size, VQuotData &record, QString *detail = nullptr);

// The kind of defect in words, for the log.
VQUOTNATS_EXPORT QString defectText(Defect defect);

} // namespace VQuotFrame
