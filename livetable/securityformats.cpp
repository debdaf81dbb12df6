#include "securityformats.h"

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <voutput.h>

std::optional<QuoteFormat> SecurityFormats::find(const SecurityId &id)
{
    const auto known = m_formats.constFind(id);
    if (known != m_formats.cend())
        return *known;
    std::optional<QuoteFormat> format;
    IHostContext *host = tarn::hostContext();
    const VCacheItem *securities = host ? host->cacheMgr()->stockCache() : nullptr;
    QList<QVariantMap> records;
    if (!id.isNull() && securities
        && securities->query(records, QStringLiteral("market;stkcode"), {id.marketText(), id.codeText()}, QString(),
                             securities->supportBisearch())
            > 0) {
        const QVariantMap &record = records.constFirst();
        format = QuoteFormat::of(record.value(QStringLiteral("priceunit")).toDouble(),
                                 record.value(QStringLiteral("stktype")).toString());
    } else if (securities) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("证券[%1]不在证券缓存中, 其行情按默认小数位显示").arg(id.productKey()));
    }
    m_formats.insert(id, format);
    return format;
}
