#pragma once

#include "quotetext.h"

#include <QVector>

#include <initializer_list>
#include <optional>
#include <vector>

struct VQuotData;

// The values of a quote record that tables show; quoteKind() says how each reads.
enum class QuoteValue : quint8 {
    LastPrice,
    Change,
    ChangeRatio, // a fraction
    ChangePercent,
    BidPrice, // level 1
    BidVolume,
    AskPrice,
    AskVolume,
    Volume,
    Amount,
    OpenPrice,
    HighPrice,
    LowPrice,
    PreClose,
    PreSettlement,
    HighLimit,
    LowLimit,
    OpenInterest,
};

QuoteFormat::Kind quoteKind(QuoteValue value);

// A table that quotes are written into (QuoteWriter), cell by cell of a
// row; the table says what a cell is.
class QuoteRowTarget
{
public:
    // The cell's value; NaN while it has none.
    virtual double quoteValue(int row, int cell) const = 0;
    // Stores value (NaN: none) in the cell. highlight: the cell held a
    // value and the quote changed it, so it lights as the table's changed
    // cells light.
    virtual void setQuoteValue(int row, int cell, double value, bool highlight) = 0;
    // From holdChanges() until releaseChanges() the table notes its changed
    // cells instead of telling them one by one.
    virtual void holdChanges() = 0;
    virtual void releaseChanges() = 0;

protected:
    ~QuoteRowTarget() = default;
};

// Puts a record's values into a row, the one way every table of the module
// takes quotes:
// - a value no quote can hold (infinite, NaN, 1e15 or more) is left out:
//   the cell keeps what it showed;
// - a change or ratio has no value without a last price and a reference
//   price (the previous settlement or close), so the cell shows "--"
//   instead of a change of 0 that nothing traded made;
// - a value changes the cell when it differs from the cell's by
//   QuoteText::Tolerance or more; the first value a cell gets does not
//   light it.
class QuoteWriter
{
public:
    // A cell of the target's row and the record value it shows.
    struct Cell
    {
        int cell;
        QuoteValue value;
    };

    QuoteWriter() = default;
    explicit QuoteWriter(QVector<Cell> cells);

    void write(QuoteRowTarget &target, int row, const VQuotData &record) const;

    // The record's value: NaN where the record has none, nothing where it
    // holds a number no quote can hold (see above).
    static std::optional<double> read(const VQuotData &record, QuoteValue value);

    // Holds the targets' change notifications while a frame's records are
    // written, and tells them when it goes: a record changes a row's cells
    // together, and every notification reaches the view and its headers.
    class Frame
    {
    public:
        Frame(std::initializer_list<QuoteRowTarget *> targets);
        template <typename Targets>
        explicit Frame(const Targets &targets)
            : m_targets(std::begin(targets), std::end(targets))
        {
            hold();
        }
        ~Frame();
        Frame(const Frame &) = delete;
        Frame &operator=(const Frame &) = delete;

    private:
        void hold();
        std::vector<QuoteRowTarget *> m_targets;
    };

private:
    QVector<Cell> m_cells;
};
