#include "vquotsubscriber.h"

#include "vquotdata.h"
#include "vquotlog.h"
#include "vquotmgr.h"

#include <voutput.h>

#include <QMetaMethod>

namespace {

void logFailure(int line, const QString &message)
{
    VOutput(3, QStringLiteral(__FILE__), line, QString(), message);
}

} // namespace

VQuotSubscriber::VQuotSubscriber(QObject *parent, const QString &name)
    : QObject(parent)
    , m_name(name)
{
}

// The manager drops the subscriber's routes when QObject announces its destruction.
VQuotSubscriber::~VQuotSubscriber() = default;

QString VQuotSubscriber::subName() const
{
    return m_name;
}

bool VQuotSubscriber::setRecvSlot(QObject *receiver, const char *slot)
{
    m_receiver = receiver;
    m_method = -1;
    if (!receiver) {
        logFailure(__LINE__, QStringLiteral("行情订阅者【%1】的接收者为空").arg(m_name));
        return false;
    }
    const QByteArray text(slot ? slot : "");
    if (text.size() > 1 && (text.at(0) == '0' + QSLOT_CODE || text.at(0) == '0' + QSIGNAL_CODE)) {
        const QMetaObject *meta = receiver->metaObject();
        const int index = meta->indexOfMethod(QMetaObject::normalizedSignature(text.constData() + 1).constData());
        const QMetaMethod method = meta->method(index);
        if (index >= 0 && method.parameterCount() == 1 && method.parameterTypes().constFirst() == "VQuotData*")
            m_method = index;
    }
    if (m_method < 0) {
        logFailure(
            __LINE__,
            QStringLiteral("行情订阅者【%1】的接收槽【%2】无效: %3 没有只带一个 VQuotData* 参数的该槽")
                .arg(m_name, QString::fromLatin1(text), QString::fromLatin1(receiver->metaObject()->className())));
        return false;
    }
    qCDebug(lcQuot) << "subscriber" << m_name << "receives through" << receiver << text;
    return true;
}

bool VQuotSubscriber::addProduct(char market, const QString &code)
{
    if (!isValidProduct(market, code))
        return false;
    const QString key = productKey(market, code);
    if (!m_productSet.contains(key)) {
        m_productSet.insert(key);
        m_products.append(key);
    }
    return true;
}

void VQuotSubscriber::removeProduct(char market, const QString &code)
{
    const QString key = productKey(market, code);
    if (m_productSet.remove(key))
        m_products.removeOne(key);
}

void VQuotSubscriber::clear()
{
    m_products.clear();
    m_productSet.clear();
}

const QStringList &VQuotSubscriber::productList() const
{
    return m_products;
}

bool VQuotSubscriber::subscribe()
{
    VQuotMgr *manager = VQuotMgr::instance();
    if (!manager) {
        logFailure(__LINE__, QStringLiteral("行情订阅者【%1】订阅失败: 没有行情管理器").arg(m_name));
        return false;
    }
    return manager->subscribe(this);
}

bool VQuotSubscriber::subOneProduct(char market, const QString &code)
{
    if (!isValidProduct(market, code)) {
        logFailure(__LINE__,
                   QStringLiteral("行情订阅者【%1】订阅失败: 证券【%2】无效").arg(m_name, productKey(market, code)));
        return false;
    }
    clear();
    addProduct(market, code);
    return subscribe();
}

bool VQuotSubscriber::unsubscribe(bool clearList)
{
    VQuotMgr *manager = VQuotMgr::instance();
    const bool ok = !manager || manager->unsubscribe(this);
    if (clearList)
        clear();
    return ok;
}

QString VQuotSubscriber::productKey(char market, const QString &code)
{
    return QString(QLatin1Char(market)) + QLatin1Char('|') + code;
}

bool VQuotSubscriber::isValidProduct(char market, const QString &code)
{
    const bool printableMarket = market > ' ' && market < 0x7f && market != '|';
    const int bytes = code.toUtf8().size();
    return printableMarket && bytes > 0 && bytes < int(sizeof(VQuotData::code)) && !code.contains(QLatin1Char('|'));
}

bool VQuotSubscriber::splitProductKey(const QString &key, char *market, QByteArray *code)
{
    if (key.size() < 3 || key.at(1) != QLatin1Char('|') || key.at(0).unicode() > 0x7f)
        return false;
    *market = key.at(0).toLatin1();
    const QString text = key.mid(2);
    *code = text.toUtf8();
    return isValidProduct(*market, text);
}
