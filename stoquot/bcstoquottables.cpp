// The option board's data: the five datasets, the option chain built from
// the option-contract cache, the combo boxes it fills, the tables of one
// underlying and expiry, and the quotes written into them.

#include "bcstoquot.h"

#include <livetableview.h>
#include <quotbatch.h>

#include <bizutils.h>
#include <ihostcontext.h>
#include <tarn_global.h>
#include <vbusiness.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vcombobox.h>
#include <vdatadict.h>
#include <vfutils.h>
#include <voutput.h>
#include <vquotdata.h>
#include <vquotsubscriber.h>

#include <QColor>
#include <QLabel>

#include <cmath>
#include <iterator>

namespace {

const QString CacheOwner = QStringLiteral("期权行情面板");
const QString ExercisePrice = QStringLiteral("exerciseprice");
const QString ContractId = QStringLiteral("stkid");
constexpr double Tolerance = 1e-8;
// Qt::AlignCenter, under the header role the table model aligns captions by.
constexpr int HeaderAlignmentRole = 260;

struct FieldDef
{
    const char *name;
    const char *caption;
    int type;
    int size;
    int width;
    bool hidden;
    int decimals; // -1: the field's default
    bool pct;
};

// The hidden fields that lead both side tables of the combined page.
#define COMBINED_KEYS                                                                                                  \
    {"exerciseprice", "行权价", vd::DT_Double, 33, 9, true, -1, false},                                                \
        {"stkid", "证券内码", vd::DT_String, 33, 9, true, -1, false},                                                  \
        {"market", "市场", vd::DT_String, 1, 9, true, -1, false},                                                      \
        {"stktype", "证券类别", vd::DT_String, 1, 9, true, -1, false},                                                 \
        {"stkcode", "证券代码", vd::DT_String, 33, 9, true, -1, false},                                                \
        {"stkname", "证券名称", vd::DT_String, 33, 9, true, -1, false}

const FieldDef AllCallFields[] = {
    COMBINED_KEYS,
    {"ystdcloseprice", "昨收盘", vd::DT_Double, 33, 9, false, 4, false},
    {"holdqty", "持仓量", vd::DT_Integer, 33, 9, false, -1, false},
    {"totalhand", "总手", vd::DT_Integer, 33, 9, false, -1, false},
    {"incratio", "涨幅", vd::DT_Double, 33, 9, false, 4, true},
    {"incdecprice", "涨跌", vd::DT_Double, 33, 7, false, 4, false},
    {"lastprice", "最新", vd::DT_Double, 33, 9, false, 4, false},
    {"sale1price", "卖一价", vd::DT_Double, 33, 9, false, 4, false},
    {"sale1qty", "卖一量", vd::DT_Integer, 33, 9, false, -1, false},
    {"buy1price", "买一价", vd::DT_Double, 33, 9, false, 4, false},
    {"buy1qty", "买一量", vd::DT_Integer, 33, 9, false, -1, false},
};

const FieldDef ExercisePriceFields[] = {
    {"exerciseprice", "行权价", vd::DT_Double, 33, 9, false, 4, false},
};

// The puts mirror the calls, so both read outwards from the exercise price.
const FieldDef AllPutFields[] = {
    COMBINED_KEYS,
    {"buy1qty", "买一量", vd::DT_Integer, 33, 9, false, -1, false},
    {"buy1price", "买一价", vd::DT_Double, 33, 9, false, 4, false},
    {"sale1qty", "卖一量", vd::DT_Integer, 33, 9, false, -1, false},
    {"sale1price", "卖一价", vd::DT_Double, 33, 9, false, 4, false},
    {"lastprice", "最新", vd::DT_Double, 33, 9, false, 4, false},
    {"incdecprice", "涨跌", vd::DT_Double, 33, 7, false, 4, false},
    {"incratio", "涨幅", vd::DT_Double, 33, 9, false, 4, true},
    {"totalhand", "总手", vd::DT_Integer, 33, 9, false, -1, false},
    {"holdqty", "持仓量", vd::DT_Integer, 33, 9, false, -1, false},
    {"ystdcloseprice", "昨收盘", vd::DT_Double, 33, 5, false, 4, false},
};

#undef COMBINED_KEYS

// The single-side tables; the put table's "incratio" has no decimals set.
#define SIDE_FIELDS(ratioDecimals)                                                                                     \
    {"stkid", "证券内码", vd::DT_String, 33, 9, true, -1, false},                                                      \
        {"market", "市场", vd::DT_String, 1, 9, true, -1, false},                                                      \
        {"stktype", "证券类别", vd::DT_String, 1, 9, true, -1, false},                                                 \
        {"stkname", "证券名称", vd::DT_String, 33, 13, false, -1, false},                                              \
        {"stkcode", "证券代码", vd::DT_String, 33, 8, false, -1, false},                                               \
        {"exerciseprice", "行权价", vd::DT_Double, 33, 7, false, 4, false},                                            \
        {"lastprice", "最新", vd::DT_Double, 33, 7, false, 4, false},                                                  \
        {"incdecprice", "涨跌", vd::DT_Double, 33, 7, false, 4, false},                                                \
        {"incratio", "涨幅", vd::DT_Double, 33, 7, false, ratioDecimals, true},                                        \
        {"buy1qty", "买一量", vd::DT_Integer, 33, 7, false, -1, false},                                                \
        {"buy1price", "买一价", vd::DT_Double, 33, 7, false, 4, false},                                                \
        {"sale1price", "卖一价", vd::DT_Double, 33, 7, false, 4, false},                                               \
        {"sale1qty", "卖一量", vd::DT_Integer, 33, 7, false, -1, false},                                               \
        {"totalhand", "总手", vd::DT_Integer, 33, 10, false, -1, false},                                               \
        {"totalsum", "总额", vd::DT_Double, 33, 18, false, -1, false},                                                 \
        {"holdqty", "持仓量", vd::DT_Integer, 33, 20, false, -1, false},                                               \
        {"ystdcloseprice", "昨收盘", vd::DT_Double, 33, 7, false, 4, false},                                           \
    {                                                                                                                  \
        "real/fake", "实值/虚值", vd::DT_String, 33, 9, false, -1, false                                               \
    }

const FieldDef CallFields[] = {SIDE_FIELDS(4)};
const FieldDef PutFields[] = {SIDE_FIELDS(-1)};

#undef SIDE_FIELDS

template <size_t N>
void define(VDataset &dataset, const FieldDef (&fields)[N])
{
    dataset.setBusiness(false);
    for (const FieldDef &def : fields) {
        VField *field = dataset.addField(QString::fromUtf8(def.name), QString::fromUtf8(def.caption), def.type,
                                         def.size, def.width);
        if (def.hidden)
            field->setVisible(false);
        if (def.decimals >= 0)
            field->setDecimals(def.decimals);
        if (def.pct)
            field->setDisplayFormat(QStringLiteral("pct"));
    }
}

void log(int line, const QString &message)
{
    VOutput(3, QStringLiteral("bcstoquot"), line, QString(), message);
}

// A price of the record as a cell value: a value that is no finite number
// is no quote, and the cell keeps what it showed.
QVariant price(double value)
{
    return std::isfinite(value) ? QVariant(value) : QVariant();
}

// The record's values as the option tables hold them: prices as doubles,
// volume and open interest as 64-bit, level volumes as unsigned 32-bit.
QVariant lastPrice(const VQuotData &q) { return price(q.lastPrice); }
QVariant preClose(const VQuotData &q) { return price(q.preClosingPrice); }
QVariant change(const VQuotData &q) { return price(q.priceChange); }
QVariant changeRatio(const VQuotData &q) { return price(q.priceChangeRatio); }
QVariant askPrice(const VQuotData &q) { return price(q.askPrice[0]); }
QVariant bidPrice(const VQuotData &q) { return price(q.bidPrice[0]); }
QVariant amount(const VQuotData &q) { return price(q.matchAmount); }
QVariant askVolume(const VQuotData &q) { return uint(q.askVolume[0]); }
QVariant bidVolume(const VQuotData &q) { return uint(q.bidVolume[0]); }
QVariant volume(const VQuotData &q) { return qint64(q.matchQuantity); }
QVariant openInterest(const VQuotData &q) { return qint64(q.openInterest); }

// The fields a quote writes, in order: the combined page's, then the
// single-side pages'.
struct Write
{
    const char *field;
    QVariant (*value)(const VQuotData &);
};

const Write CombinedWrites[] = {
    {"ystdcloseprice", preClose}, {"holdqty", openInterest}, {"totalhand", volume},
    {"incdecprice", change},      {"incratio", changeRatio}, {"lastprice", lastPrice},
    {"sale1price", askPrice},     {"sale1qty", askVolume},   {"buy1price", bidPrice},
    {"buy1qty", bidVolume},
};

const Write SideWrites[] = {
    {"lastprice", lastPrice},   {"incdecprice", change}, {"incratio", changeRatio},
    {"buy1price", bidPrice},    {"buy1qty", bidVolume},  {"sale1price", askPrice},
    {"sale1qty", askVolume},    {"totalhand", volume},   {"totalsum", amount},
    {"holdqty", openInterest},  {"ystdcloseprice", preClose},
    {"real/fake", [](const VQuotData &) { return QVariant(QStringLiteral("--")); }},
};

// The writes of a table of the combined page, or of a single-side page.
QVector<Write> writesOf(bool combined)
{
    return combined ? QVector<Write>(std::begin(CombinedWrites), std::end(CombinedWrites))
                    : QVector<Write>(std::begin(SideWrites), std::end(SideWrites));
}

} // namespace

void BCStoQuot::setupTables()
{
    define(m_tables[AllCall].dataset, AllCallFields);
    define(m_tables[AllExercisePrice].dataset, ExercisePriceFields);
    define(m_tables[AllPut].dataset, AllPutFields);
    define(m_tables[Call].dataset, CallFields);
    define(m_tables[Put].dataset, PutFields);
    for (int table = 0; table < TableCount; ++table) {
        QuoteTable &t = m_tables[table];
        // The combined page's tables keep the datasets' order, so their rows line up.
        t.model.linkDatasetTable(&t.dataset, t.view, true, table <= AllPut);
        for (const Write &write : writesOf(table == AllCall || table == AllPut))
            t.quoteFields.append(t.dataset.fields()->indexOf(QLatin1String(write.field)));
        // Quotes and markers find a contract's row by the contract.
        t.model.setRowLocator([this, table](const SecurityId &contract) {
            const auto found = m_rowIndex.constFind(contract);
            return found != m_rowIndex.cend() && found->table == table ? found->row : -1;
        });
    }
    // A single-side table sorted by a header click moves its rows.
    for (const Table table : {Call, Put})
        connect(&m_tables[table].model, &QAbstractItemModel::layoutChanged, this, &BCStoQuot::indexRows);
    VSQTableModel &prices = m_tables[AllExercisePrice].model;
    prices.setHeaderData(prices.colIndexByFieldName(ExercisePrice), QVariant(int(Qt::AlignCenter)),
                         HeaderAlignmentRole);
}

void BCStoQuot::doStoContractDynCacheUpdated()
{
    if (!m_contractCache || !m_contractCache->isNormal()) {
        log(__LINE__, QStringLiteral("期权行情面板:期权合约动态缓存异常."));
        return;
    }
    m_chain.clear();
    const int today = tarn::hostContext()->business()->sysDate();
    m_contractCache->readLock(CacheOwner);
    const int records = m_contractCache->recordCount1();
    bool badSide = false;
    for (int i = 0; i < records; ++i) {
        if (m_contractCache->fieldValue1(i, QStringLiteral("enddate")).toInt() < today)
            continue;
        const QString callOrPut = m_contractCache->fieldValue1(i, QStringLiteral("callorput")).toString();
        if (callOrPut == QLatin1String("P"))
            continue;
        // Such a contract has no side to be shown on; it is kept in the
        // chain, where it finds no contract of either side.
        badSide = badSide || callOrPut != QLatin1String("C");
        m_chain[m_contractCache->fieldValue1(i, QStringLiteral("securityid")).toString()].insert(
            m_contractCache->fieldValue1(i, QStringLiteral("expiredate")).toInt(),
            m_contractCache->fieldValue1(i, ExercisePrice).toString());
    }
    if (badSide)
        log(__LINE__, QStringLiteral("期权行情面板:合约信息认沽认购不正确，新增期权行情显示失败."));
    fillTargetStkCombo();
    m_contractCache->unlock(CacheOwner);
}

void BCStoQuot::fillTargetStkCombo()
{
    m_cbTargetStk->clear();
    m_cbTargetStk->blockSignals(true);
    const VDataDict *dict = tarn::hostContext()->dataDict();
    for (auto it = m_chain.cbegin(); it != m_chain.cend(); ++it) {
        const QString &id = it.key();
        const QString market = BizUtils::getMoreDataOfStkCache(id, QStringLiteral("market")).toString();
        const QString name = BizUtils::getMoreDataOfStkCache(id, QStringLiteral("stkname")).toString();
        const QString code = BizUtils::getMoreDataOfStkCache(id, QStringLiteral("stkcode")).toString();
        const QString marketName = dict ? dict->transDictItem(QStringLiteral("4"), market, ',') : market;
        m_cbTargetStk->addItem(QStringList {marketName, code, name}.join(QLatin1Char(' ')), id);
    }
    m_cbTargetStk->blockSignals(false);
    m_cbTargetStk->setCurrentIndex(-1);
}

void BCStoQuot::fillExpireDateCombos()
{
    m_cbExpireDate->clear();
    m_cbAllExpireDate->clear();
    m_callExpireDate = 0;
    m_putExpireDate = 0;
    const QMultiMap<int, QString> expiries = m_chain.value(m_cbTargetStk->currentData().toString());
    for (VComboBox *combo : {m_cbExpireDate, m_cbAllExpireDate}) {
        combo->blockSignals(true);
        for (const int date : expiries.uniqueKeys())
            combo->addItem(expireDateText(date), date);
        combo->blockSignals(false);
        combo->sortByColumn(0, Qt::UserRole, Qt::AscendingOrder, true);
        combo->setCurrentIndex(-1);
    }
}

QString BCStoQuot::expireDateText(int d)
{
    const QString digits = QString::number(d);
    if (digits.size() != 8)
        return QString();
    return digits.left(4) + QStringLiteral("年") + digits.mid(4, 2) + QStringLiteral("月");
}

void BCStoQuot::clearDatasets(bool callsShown, bool putsShown)
{
    auto reset = [this](Table table) {
        VDataset &dataset = m_tables[table].dataset;
        const bool wasOpen = dataset.isOpen();
        if (wasOpen)
            dataset.close(true);
        dataset.open();
        return wasOpen;
    };
    // Neither side: every table.
    const bool none = !callsShown && !putsShown;
    m_rowIndex.clear();
    m_contractQuotes->clear();
    if (callsShown == putsShown) {
        if (reset(AllCall))
            m_lbCall->setText(QStringLiteral("认购"));
        reset(AllExercisePrice);
        if (reset(AllPut))
            m_lbPut->setText(QStringLiteral("认沽"));
    }
    if ((callsShown && !putsShown) || none)
        reset(Call);
    if ((putsShown && !callsShown) || none)
        reset(Put);
}

bool BCStoQuot::refreshTables(QComboBox *expiryCombo)
{
    if (!m_contractCache)
        return false;
    const bool calls = callsShown();
    const bool puts = putsShown();
    const bool both = calls && puts;
    clearDatasets(calls, puts);
    const QString underlying = m_cbTargetStk->currentData().toString();
    const int expiry = expiryCombo->currentData().toInt();
    const QStringList prices = m_chain.value(underlying).values(expiry);
    m_contractSubscriber->unsubscribe(true);
    for (const QString &price : prices) {
        if (calls)
            addContractRow(underlying, expiry, price, QStringLiteral("C"), both);
        if (puts)
            addContractRow(underlying, expiry, price, QStringLiteral("P"), both);
    }
    for (QuoteTable &table : m_tables)
        table.dataset.sort(QStringLiteral("exerciseprice 0"), Qt::CaseSensitive);
    indexRows();
    return m_contractSubscriber->subscribe();
}

void BCStoQuot::addContractRow(const QString &underlyingId, int expireDate, const QString &exercisePrice,
                               const QString &callOrPut, bool both)
{
    QList<QVariantMap> records;
    m_contractCache->query(records, QStringLiteral("securityid;expiredate;exerciseprice;callorput"),
                           {underlyingId, expireDate, exercisePrice, callOrPut},
                           QStringLiteral("stkid;stkcode;market;contractname"), false);
    if (records.isEmpty())
        return;
    const double price = exercisePrice.toDouble();
    const bool call = callOrPut == QLatin1String("C");
    if (!call && callOrPut != QLatin1String("P")) {
        log(__LINE__, QStringLiteral("期权行情面板:合约信息认沽认购不正确，新增期权行情显示失败."));
        return;
    }
    Table table;
    int row;
    if (both) {
        exercisePriceRow(AllExercisePrice, price);
        table = call ? AllCall : AllPut;
        row = exercisePriceRow(table, price);
    } else {
        table = call ? Call : Put;
        row = m_tables[table].dataset.append();
        m_tables[table].dataset.setFieldValue(row, ExercisePrice, price);
    }
    VDataset &dataset = m_tables[table].dataset;
    const QVariantMap &record = records.first();
    const QString market = record.value(QStringLiteral("market")).toString();
    const QString code = record.value(QStringLiteral("stkcode")).toString();
    dataset.setFieldValue(row, ContractId, record.value(ContractId));
    dataset.setFieldValue(row, QStringLiteral("market"), market);
    dataset.setFieldValue(row, QStringLiteral("stkcode"), code);
    dataset.setFieldValue(row, QStringLiteral("stkname"), record.value(QStringLiteral("contractname")));
    m_contractSubscriber->addProduct(vf::strToChar(market), code);
}

int BCStoQuot::exercisePriceRow(Table table, double price)
{
    VDataset &dataset = m_tables[table].dataset;
    int row = dataset.locate(ExercisePrice, price, 0);
    if (row < 0) {
        row = dataset.append();
        dataset.setFieldValue(row, ExercisePrice, price);
    }
    return row;
}

void BCStoQuot::indexRows()
{
    // A contract's row is the first whose "stkid" is the contract's id, in
    // the call table before the put table, as a search would find it.
    m_rowIndex.clear();
    const VCacheMgr *caches = tarn::hostContext()->cacheMgr();
    const bool both = callsShown() && putsShown();
    QVector<Table> shown;
    if (both)
        shown = {AllCall, AllPut};
    else if (callsShown())
        shown = {Call};
    else if (putsShown())
        shown = {Put};
    for (const Table table : qAsConst(shown)) {
        const VDataset &dataset = m_tables[table].dataset;
        for (int row = 0; row < dataset.recordCount(); ++row) {
            const QString market = dataset.fieldValue(row, QStringLiteral("market")).toString();
            const QString code = dataset.fieldValue(row, QStringLiteral("stkcode")).toString();
            const SecurityId contract = SecurityId::of(market, code);
            if (m_rowIndex.contains(contract))
                continue;
            const int found = dataset.locate(ContractId, caches->stkCodeToStkId(market, code), 0);
            if (found >= 0)
                m_rowIndex.insert(contract, {table, found});
        }
    }
}

void BCStoQuot::doRecvSubscribeQuot(VQuotData *pQuotData)
{
    if (pQuotData && pQuotData->status != 0)
        m_contractQuotes->add(*pQuotData);
}

void BCStoQuot::applyQuotes()
{
    for (const VQuotData &record : m_contractQuotes->take()) {
        // Looked up when written: a refresh since the record arrived may
        // have taken its row.
        const SecurityId contract = SecurityId::of(record);
        const auto found = m_rowIndex.constFind(contract);
        if (found != m_rowIndex.cend())
            updateRow(found->table, found->row, record);
        else
            log(__LINE__, QStringLiteral("期权行情面板:行情列表没有合约(%1).").arg(contractId(contract)));
    }
}

QString BCStoQuot::contractId(const SecurityId &contract) const
{
    return tarn::hostContext()->cacheMgr()->stkCodeToStkId(contract.marketText(), contract.codeText());
}

void BCStoQuot::updateRow(Table table, int row, const VQuotData &q)
{
    static const QVector<Write> Combined = writesOf(true);
    static const QVector<Write> Side = writesOf(false);
    const QVector<Write> &writes = table == AllCall || table == AllPut ? Combined : Side;
    QuoteTable &t = m_tables[table];
    for (int i = 0; i < t.quoteFields.size(); ++i)
        setCellValue(&t.dataset, &t.model, row, t.quoteFields.at(i), writes.at(i).value(q));
}

void BCStoQuot::setCellValue(VDataset *ds, VSQTableModel *model, int row, int field, const QVariant &value)
{
    if (!ds || !model)
        return;
    const QModelIndex cell = model->fieldCell(row, field);
    const QVariant old = ds->fieldValue(row, field);
    if (!old.isValid()) {
        ds->setFieldValue(row, field, value.isValid() ? value : QVariant(QStringLiteral("--")));
        return;
    }
    if (!value.isValid())
        return;
    const VField *definition = ds->fields()->at(field);
    const int type = definition ? definition->dataType() : vd::DT_String;
    bool write = false;
    bool mark = false;
    if (type == vd::DT_Integer) {
        const qint64 before = old.toLongLong();
        const qint64 now = value.toLongLong();
        mark = before != now;
        write = mark || now == 0;
    } else if (type == vd::DT_Double) {
        const double now = value.toDouble();
        mark = std::fabs(now - old.toDouble()) >= Tolerance;
        write = mark || std::fabs(now) < Tolerance;
    } else {
        write = true;
    }
    // The marker first: the write's change notification starts its 800 ms.
    if (mark)
        model->setData(cell, QColor(207, 227, 250), Qt::BackgroundRole);
    if (write)
        ds->setFieldValue(row, field, value);
}
