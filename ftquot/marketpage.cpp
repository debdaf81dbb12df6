#include "marketpage.h"

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vcacheitem.h>
#include <vcachemgr.h>

#include <QTableView>

namespace {

// The quote fields, in the order a record's values are written.
const struct
{
    const char *name;
    const char *caption;
} QuoteFields[] = {{"lastprice", "最新价"},       {"incdecprice", "涨跌↑↓"},  {"incdecpriceratio", "涨跌幅(%)"},
                   {"buyprice", "买价"},          {"buyvol", "买量"},         {"sellprice", "卖价"},
                   {"sellvol", "卖量"},           {"matchvol", "成交量"},     {"tdyopenprice", "今开盘"},
                   {"ystdsettleprice", "昨结算"}, {"highestprice", "最高价"}, {"lowestprice", "最低价"},
                   {"tdyposvol", "持仓量"}};

} // namespace

void MarketPage::buildDataset()
{
    VDataset &ds = dataset;
    ds.setBusiness(false);
    ds.setDataDict(tarn::hostContext()->dataDict());
    ds.addField(QStringLiteral("subscribe"), QStringLiteral("订阅"), vd::DT_String, 12, 4);
    ds.addField(QStringLiteral("productid"), QStringLiteral("产品"), vd::DT_String, 2, 9)->setVisible(false);
    ds.addField(QStringLiteral("productname"), QStringLiteral("产品"), vd::DT_String, 4, 8)
        ->setType(vd::FT_Lookup)
        ->setKeyFields(QStringLiteral("productid"))
        ->setDictItem(QStringLiteral("30070"));
    ds.addField(QStringLiteral("stkid"), QStringLiteral("合约内码"), vd::DT_String, 12, 12)->setVisible(false);
    ds.addField(QStringLiteral("stkcode"), QStringLiteral("合约代码"), vd::DT_String, 12, 8);
    tarn::hostContext()->cacheMgr()->addStkNameLookupField(&ds);
    ds.addField(QStringLiteral("market"), QStringLiteral("市场"), vd::DT_String, 1, 8)->setVisible(false);
    if (often) {
        ds.addField(QStringLiteral("market_s"), QStringLiteral("市场"), vd::DT_String, 8, 8)
            ->setType(vd::FT_Lookup)
            ->setKeyFields(QStringLiteral("market"))
            ->setDictItem(QStringLiteral("4"));
    }
    QStringList quoteFields;
    for (const auto &quote : QuoteFields) {
        ds.addField(QLatin1String(quote.name), QString::fromUtf8(quote.caption), vd::DT_Double, 12, 8);
        quoteFields << QLatin1String(quote.name);
    }
    ds.addField(QStringLiteral("convertunit"), QStringLiteral("合约乘数"), vd::DT_Double, 12, 8);
    model.linkDatasetTable(&ds, table, true, false);
    writer = model.writerFor(quoteFields);
    model.setRowLocator([this](const SecurityId &contract) { return rowOf(contract); });
}

void MarketPage::addContractRow(const QString &contractId, VCacheItem *contracts, int today)
{
    QVariantMap record;
    if (!contracts
        || !contracts->lookup(record, QStringLiteral("stkid"), contractId,
                              QStringLiteral("expiredate;market;stkcode;convertunit;productid"))
        || record.isEmpty())
        return;
    if (today > record.value(QStringLiteral("expiredate")).toInt())
        return;
    const int row = dataset.append();
    if (row < 0)
        return;
    const QString contractMarket = record.value(QStringLiteral("market")).toString();
    const QString code = record.value(QStringLiteral("stkcode")).toString();
    dataset.setFieldValue(row, QStringLiteral("stkid"), contractId);
    dataset.setFieldValue(row, QStringLiteral("market"), contractMarket);
    dataset.setFieldValue(row, QStringLiteral("stkcode"), code);
    dataset.setFieldValue(row, QStringLiteral("productid"), record.value(QStringLiteral("productid")));
    dataset.setFieldValue(row, QStringLiteral("convertunit"), record.value(QStringLiteral("convertunit")));
    rowIndex.insert(SecurityId::of(contractMarket, code), row);
}

void MarketPage::removeProductRows(const QString &productId, VCacheItem *contracts)
{
    if (!contracts)
        return;
    for (const QString &contract : productContracts.values(productId)) {
        QVariantMap record;
        if (!contracts->lookup(record, QStringLiteral("stkid"), contract, QStringLiteral("market;stkcode")))
            continue;
        const int row = rowOf(SecurityId::of(record.value(QStringLiteral("market")).toString(),
                                              record.value(QStringLiteral("stkcode")).toString()));
        if (row >= 0 && row < dataset.recordCount()) {
            dataset.remove(row);
            rebuildRowIndex();
        }
    }
    model.refreshModel();
}

void MarketPage::rebuildRowIndex()
{
    rowIndex.clear();
    for (int row = 0; row < dataset.recordCount(); ++row) {
        const QString rowMarket = often ? dataset.fieldValue(row, QStringLiteral("market")).toString() : market;
        rowIndex.insert(SecurityId::of(rowMarket, dataset.fieldValue(row, QStringLiteral("stkcode")).toString()), row);
    }
}
