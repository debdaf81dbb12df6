#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QtGlobal>

#include <cstring>

struct VQuotData;

// A security as the quote service names it: its market character and the
// bytes of its code. A quote record, a subscriber's product-list entry and a
// table row all name their security through it, so a quote finds its row
// without building any text. The code's bytes are UTF-8, as the quote
// service encodes a code; they are held in place (no allocation), so the
// value is cheap to copy and to hash.
class SecurityId
{
public:
    // The longest code a quote record carries, without its terminating NUL.
    static constexpr int MaxCodeBytes = 79;

    SecurityId() = default;
    // A code longer than MaxCodeBytes (or empty) gives a null id.
    SecurityId(char market, const char *code, int size);
    // The record's code up to its NUL, never past its field.
    static SecurityId of(const VQuotData &record);
    // market: a market text whose first byte is the market character (none: 0).
    static SecurityId of(const QString &market, const QString &code);

    bool isNull() const { return m_size == 0; }
    char market() const { return m_market; }
    QByteArray code() const { return QByteArray(m_code, m_size); }
    QString marketText() const;
    QString codeText() const;
    // The product-list form, market "|" code.
    QString productKey() const;

    friend bool operator==(const SecurityId &a, const SecurityId &b)
    {
        return a.m_market == b.m_market && a.m_size == b.m_size && std::memcmp(a.m_code, b.m_code, a.m_size) == 0;
    }
    friend bool operator!=(const SecurityId &a, const SecurityId &b) { return !(a == b); }
    friend uint qHash(const SecurityId &id, uint seed = 0)
    {
        return qHashBits(id.m_code, size_t(id.m_size), seed ^ uint(uchar(id.m_market)));
    }

private:
    char m_market = 0;
    quint8 m_size = 0;
    char m_code[MaxCodeBytes] = {};
};

Q_DECLARE_TYPEINFO(SecurityId, Q_PRIMITIVE_TYPE);
