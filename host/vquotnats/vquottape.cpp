#include "vquottape.h"

#include <QtEndian>

namespace {

const char Magic[4] = {'T', 'Q', 'R', 'T'};
constexpr quint16 TapeVersion = 1;
constexpr int FileHeaderSize = 8;
constexpr int StampSize = 8;

} // namespace

bool VQuotTapeWriter::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = m_file.errorString();
        return false;
    }
    char header[FileHeaderSize];
    std::copy(std::begin(Magic), std::end(Magic), header);
    qToLittleEndian<quint16>(TapeVersion, header + 4);
    qToLittleEndian<quint16>(VQuotFrame::Version1Size, header + 6);
    if (m_file.write(header, FileHeaderSize) != FileHeaderSize) {
        *error = m_file.errorString();
        return false;
    }
    m_clock.start();
    return true;
}

bool VQuotTapeWriter::write(const VQuotData &record)
{
    char entry[StampSize + VQuotFrame::Version1Size];
    qToLittleEndian<qint64>(m_clock.nsecsElapsed(), entry);
    VQuotFrame::encodeVersion1(record, entry + StampSize);
    return m_file.write(entry, sizeof entry) == qint64(sizeof entry);
}

QString VQuotTapeWriter::error() const
{
    return m_file.errorString();
}

void VQuotTapeWriter::close()
{
    m_file.close();
}

bool VQuotTapeReader::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        *error = m_file.errorString();
        return false;
    }
    const QByteArray header = m_file.read(FileHeaderSize);
    if (header.size() != FileHeaderSize || !header.startsWith(QByteArray(Magic, sizeof Magic))
        || qFromLittleEndian<quint16>(header.constData() + 4) != TapeVersion
        || qFromLittleEndian<quint16>(header.constData() + 6) != VQuotFrame::Version1Size) {
        *error = QStringLiteral("不是本版本的行情录制文件");
        return false;
    }
    return true;
}

bool VQuotTapeReader::next(qint64 *nanoseconds, QByteArray *frame)
{
    const QByteArray entry = m_file.read(StampSize + VQuotFrame::Version1Size);
    if (entry.size() != StampSize + VQuotFrame::Version1Size)
        return false;
    *nanoseconds = qFromLittleEndian<qint64>(entry.constData());
    *frame = entry.mid(StampSize);
    return true;
}
