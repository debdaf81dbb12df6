#include "vquotframe.h"

#include <vquotcheck.h>

#include <QtEndian>
#include <cstring>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the record's wire layout is its little-endian memory layout");

namespace VQuotFrame {

namespace {

const char Magic[4] = {'T', 'Q', 'R', 'D'};

Defect fromRecordDefect(vq::RecordDefect defect)
{
    switch (defect) {
    case vq::RecordDefect::None: return Defect::None;
    case vq::RecordDefect::Market: return Defect::Market;
    case vq::RecordDefect::Code: return Defect::Code;
    case vq::RecordDefect::Status: return Defect::Status;
    case vq::RecordDefect::NotFinite: return Defect::NotFinite;
    case vq::RecordDefect::OutOfRange: return Defect::OutOfRange;
    }
    return Defect::Status;
}

// Magic, version and record size: the first bytes of every version.
void writeHeader(quint16 version, char *frame)
{
    std::memcpy(frame, Magic, sizeof Magic);
    qToLittleEndian<quint16>(version, frame + 4);
    qToLittleEndian<quint16>(quint16(sizeof(VQuotData)), frame + 6);
}

void writeRecord(const VQuotData &record, char *payload)
{
    std::memcpy(payload, &record, sizeof record);
    std::memset(payload + offsetof(VQuotData, reserved1), 0, sizeof record.reserved1);
}

} // namespace

void encode(const VQuotData &record, quint64 sequence, char *frame)
{
    writeHeader(Version, frame);
    qToLittleEndian<quint64>(sequence, frame + Version1HeaderSize);
    writeRecord(record, frame + HeaderSize);
}

QByteArray encode(const VQuotData &record, quint64 sequence)
{
    QByteArray frame(Size, Qt::Uninitialized);
    encode(record, sequence, frame.data());
    return frame;
}

void encodeVersion1(const VQuotData &record, char *frame)
{
    writeHeader(Version1, frame);
    writeRecord(record, frame + Version1HeaderSize);
}

Defect decode(const char *data, size_t size, VQuotData &record, QString *detail, quint64 *sequence)
{
    if (size < size_t(Version1HeaderSize))
        return Defect::Length;
    if (std::memcmp(data, Magic, sizeof Magic) != 0)
        return Defect::Magic;
    const quint16 version = qFromLittleEndian<quint16>(data + 4);
    if (version != Version && version != Version1)
        return Defect::Version;
    if (qFromLittleEndian<quint16>(data + 6) != sizeof(VQuotData))
        return Defect::RecordSize;
    const int headerSize = version == Version ? HeaderSize : Version1HeaderSize;
    if (size != size_t(headerSize) + sizeof(VQuotData))
        return Defect::Length;
    if (sequence)
        *sequence = version == Version ? qFromLittleEndian<quint64>(data + Version1HeaderSize) : 0;
    std::memcpy(&record, data + headerSize, sizeof record);
    return fromRecordDefect(vq::recordDefect(record, detail));
}

QString defectText(Defect defect)
{
    switch (defect) {
    case Defect::None: return QString();
    case Defect::Length: return QStringLiteral("帧长度不符");
    case Defect::Magic: return QStringLiteral("帧标识不符");
    case Defect::Version: return QStringLiteral("帧版本不支持");
    case Defect::RecordSize: return QStringLiteral("记录长度不符");
    case Defect::Market: return QStringLiteral("市场代码无效");
    case Defect::Code: return QStringLiteral("证券代码无效");
    case Defect::Status: return QStringLiteral("状态无效");
    case Defect::NotFinite: return QStringLiteral("数值不是有限数");
    case Defect::OutOfRange: return QStringLiteral("数值超出范围");
    case Defect::Subject: return QStringLiteral("记录与主题的证券不符");
    }
    return QString();
}

} // namespace VQuotFrame
