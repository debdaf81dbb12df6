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

} // namespace

void encode(const VQuotData &record, char *frame)
{
    std::memcpy(frame, Magic, sizeof Magic);
    qToLittleEndian<quint16>(Version, frame + 4);
    qToLittleEndian<quint16>(quint16(sizeof(VQuotData)), frame + 6);
    char *payload = frame + HeaderSize;
    std::memcpy(payload, &record, sizeof record);
    std::memset(payload + offsetof(VQuotData, reserved1), 0, sizeof record.reserved1);
}

QByteArray encode(const VQuotData &record)
{
    QByteArray frame(Size, Qt::Uninitialized);
    encode(record, frame.data());
    return frame;
}

Defect decode(const char *data, size_t size, VQuotData &record, QString *detail)
{
    if (size < size_t(HeaderSize))
        return Defect::Length;
    if (std::memcmp(data, Magic, sizeof Magic) != 0)
        return Defect::Magic;
    if (qFromLittleEndian<quint16>(data + 4) != Version)
        return Defect::Version;
    if (qFromLittleEndian<quint16>(data + 6) != sizeof(VQuotData))
        return Defect::RecordSize;
    if (size != size_t(Size))
        return Defect::Length;
    std::memcpy(&record, data + HeaderSize, sizeof record);
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
