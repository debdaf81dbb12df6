#include "optiontables.h"

#include <livetableview.h>
#include <quotbatch.h>

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vcachemgr.h>
#include <vquotdata.h>

#include <QColor>
#include <QScopeGuard>

#include <cmath>
#include <iterator>

namespace {

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

OptionTables::OptionTables(QObject *parent)
    : QObject(parent)
    , m_quotes(new QuotBatch(this))
{
    connect(m_quotes, &QuotBatch::ready, this, &OptionTables::applyQuotes);
}

OptionTables::~OptionTables()
{
    for (QuoteTable &table : m_tables)
        table.dataset.close(true);
}

void OptionTables::setup()
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
        connect(&m_tables[table].model, &QAbstractItemModel::layoutChanged, this, &OptionTables::indexRows);
    VSQTableModel &prices = m_tables[AllExercisePrice].model;
    prices.setHeaderData(prices.colIndexByFieldName(ExercisePrice), QVariant(int(Qt::AlignCenter)),
                         HeaderAlignmentRole);
}

bool OptionTables::clearDatasets(bool callsShown, bool putsShown)
{
    auto reset = [this](Table table) {
        VDataset &dataset = m_tables[table].dataset;
        const bool wasOpen = dataset.isOpen();
        if (wasOpen)
            dataset.close(true);
        dataset.open();
        return wasOpen;
    };
    m_rowIndex.clear();
    m_indexed.clear();
    m_quotes->clear();
    // Neither side: every table.
    const bool none = !callsShown && !putsShown;
    bool combinedWasOpen = false;
    if (callsShown == putsShown) {
        combinedWasOpen = reset(AllCall);
        reset(AllExercisePrice);
        combinedWasOpen = reset(AllPut) || combinedWasOpen;
    }
    if ((callsShown && !putsShown) || none)
        reset(Call);
    if ((putsShown && !callsShown) || none)
        reset(Put);
    return combinedWasOpen;
}

void OptionTables::addContractRow(const QVariantMap &contract, double exercisePrice, bool call, bool both)
{
    Table table;
    int row;
    if (both) {
        exercisePriceRow(AllExercisePrice, exercisePrice);
        table = call ? AllCall : AllPut;
        row = exercisePriceRow(table, exercisePrice);
    } else {
        table = call ? Call : Put;
        row = m_tables[table].dataset.append();
        m_tables[table].dataset.setFieldValue(row, ExercisePrice, exercisePrice);
    }
    VDataset &dataset = m_tables[table].dataset;
    dataset.setFieldValue(row, ContractId, contract.value(ContractId));
    dataset.setFieldValue(row, QStringLiteral("market"), contract.value(QStringLiteral("market")));
    dataset.setFieldValue(row, QStringLiteral("stkcode"), contract.value(QStringLiteral("stkcode")));
    dataset.setFieldValue(row, QStringLiteral("stkname"), contract.value(QStringLiteral("contractname")));
}

int OptionTables::exercisePriceRow(Table table, double price)
{
    VDataset &dataset = m_tables[table].dataset;
    int row = dataset.locate(ExercisePrice, price, 0);
    if (row < 0) {
        row = dataset.append();
        dataset.setFieldValue(row, ExercisePrice, price);
    }
    return row;
}

void OptionTables::finishRefresh(bool callsShown, bool putsShown)
{
    for (QuoteTable &table : m_tables)
        table.dataset.sort(QStringLiteral("exerciseprice 0"), Qt::CaseSensitive);
    if (callsShown && putsShown)
        m_indexed = {AllCall, AllPut};
    else if (callsShown)
        m_indexed = {Call};
    else if (putsShown)
        m_indexed = {Put};
    indexRows();
}

void OptionTables::indexRows()
{
    // A contract's row is the first whose "stkid" is the contract's id, in
    // the call table before the put table, as a search would find it.
    m_rowIndex.clear();
    const VCacheMgr *caches = tarn::hostContext()->cacheMgr();
    for (const Table table : qAsConst(m_indexed)) {
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

void OptionTables::receive(const VQuotData &record)
{
    m_quotes->add(record);
}

void OptionTables::applyQuotes()
{
    for (QuoteTable &table : m_tables)
        table.model.holdChanges();
    const auto release = qScopeGuard([this] {
        for (QuoteTable &table : m_tables)
            table.model.releaseChanges();
    });
    for (const VQuotData &record : m_quotes->take()) {
        // Looked up when written: a refresh since the record arrived may
        // have taken its row.
        const SecurityId contract = SecurityId::of(record);
        const auto found = m_rowIndex.constFind(contract);
        if (found != m_rowIndex.cend())
            updateRow(found->table, found->row, record);
        else
            emit contractWithoutRow(contract);
    }
    emit written();
}

void OptionTables::updateRow(Table table, int row, const VQuotData &q)
{
    static const QVector<Write> Combined = writesOf(true);
    static const QVector<Write> Side = writesOf(false);
    const QVector<Write> &writes = table == AllCall || table == AllPut ? Combined : Side;
    QuoteTable &t = m_tables[table];
    for (int i = 0; i < t.quoteFields.size(); ++i)
        setCellValue(&t.dataset, &t.model, row, t.quoteFields.at(i), writes.at(i).value(q));
}

void OptionTables::setCellValue(VDataset *ds, VSQTableModel *model, int row, int field, const QVariant &value)
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
    if (mark) {
        static const QVariant Marker = QColor(207, 227, 250);
        model->setData(cell, Marker, Qt::BackgroundRole);
    }
    if (write)
        ds->setFieldValue(row, field, value);
}
