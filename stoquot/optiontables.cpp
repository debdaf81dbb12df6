#include "optiontables.h"

#include <livetableview.h>
#include <quotbatch.h>

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vcachemgr.h>
#include <vquotdata.h>

namespace {

const QString ExercisePrice = QStringLiteral("exerciseprice");
const QString ContractId = QStringLiteral("stkid");
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

// The fields a quote writes, in order: the combined page's, then the
// single-side pages'.
const QStringList CombinedWrites = {QStringLiteral("ystdcloseprice"), QStringLiteral("holdqty"),
                                    QStringLiteral("totalhand"),      QStringLiteral("incdecprice"),
                                    QStringLiteral("incratio"),       QStringLiteral("lastprice"),
                                    QStringLiteral("sale1price"),     QStringLiteral("sale1qty"),
                                    QStringLiteral("buy1price"),      QStringLiteral("buy1qty")};
const QStringList SideWrites = {QStringLiteral("lastprice"),  QStringLiteral("incdecprice"), QStringLiteral("incratio"),
                                QStringLiteral("buy1price"),  QStringLiteral("buy1qty"),     QStringLiteral("sale1price"),
                                QStringLiteral("sale1qty"),   QStringLiteral("totalhand"),   QStringLiteral("totalsum"),
                                QStringLiteral("holdqty"),    QStringLiteral("ystdcloseprice")};

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
        if (table != AllExercisePrice)
            t.writer = t.model.writerFor(table == AllCall || table == AllPut ? CombinedWrites : SideWrites);
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
        m_tables[table].dataset.setFieldValue(row, QStringLiteral("real/fake"), QStringLiteral("--"));
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
    // What the module already has of the contracts shows at the next frame.
    for (auto contract = m_rowIndex.cbegin(); contract != m_rowIndex.cend(); ++contract)
        m_quotes->addLatest(contract.key());
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
    QuoteRowTarget *models[TableCount];
    for (int table = 0; table < TableCount; ++table)
        models[table] = &m_tables[table].model;
    const QuoteWriter::Frame frame(models);
    for (const VQuotData &record : m_quotes->take()) {
        // Looked up when written: a refresh since the record arrived may
        // have taken its row.
        const SecurityId contract = SecurityId::of(record);
        const auto found = m_rowIndex.constFind(contract);
        if (found == m_rowIndex.cend()) {
            emit contractWithoutRow(contract);
            continue;
        }
        QuoteTable &table = m_tables[found->table];
        table.writer.write(table.model, found->row, record);
    }
    emit written();
}
