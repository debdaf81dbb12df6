#pragma once

#include "cellhighlights.h"
#include "quotefieldrules.h"
#include "quotetext.h"
#include "quotewriter.h"
#include "securityformats.h"
#include "securityid.h"

#include <vtablemodel.h>

#include <QVector>

#include <functional>
#include <vector>

// What the quote boards' table models share on top of VTableModel: each
// row is a security (its "market" and "stkcode" fields), whose numbers read
// by its own format (SecurityFormats: a security the host does not know
// takes a field's own decimals, else two); an empty quote reads "--" and
// prices and changes are coloured (QuoteFieldRules); texts of numbers are
// made when a cell is painted and kept by value and format, so a price
// shown before costs no formatting; and changed cells are highlighted by
// their row's security and column (CellHighlights), so a highlight stays
// with its security through a sort and goes with its row.
//
// Quotes reach the rows through a QuoteWriter, a cell being a field index:
// fieldCell() names a field's cell without looking up names. While a frame's
// records are written the change notifications are held (holdChanges()), so
// that each run of neighbouring changed cells of a row is told once instead
// of once a field: every notification reaches the view and both of its
// headers.
class QuoteTableModel : public VTableModel, public QuoteRowTarget
{
    Q_OBJECT
public:
    // Where a security's row stands, -1 when it has none.
    using RowLocator = std::function<int(const SecurityId &security)>;

    // The board's row index; without one the dataset is searched.
    void setRowLocator(RowLocator locator) { m_rowOf = std::move(locator); }
    // The cell of the field in row; invalid for a hidden or unknown field.
    QModelIndex fieldCell(int row, int field) const;
    // The security of a row (null when the row has no code).
    SecurityId securityOfRow(int row) const;

    // The writer of a record into these quote fields of the dataset.
    QuoteWriter writerFor(const QStringList &fieldNames) const;

    // A field's value, NaN while it has none; a highlight is the model's own.
    double quoteValue(int row, int field) const override;
    void setQuoteValue(int row, int field, double value, bool highlight) override;
    // Until releaseChanges(), changed cells are noted instead of told.
    void holdChanges() override;
    void releaseChanges() override;

    QVariant getDisplayText(const QModelIndex &index) const override;
    QVariant getForeground(const QModelIndex &index) const override;

public slots:
    // A value of the dataset changed: a row's market or code ends the
    // security read last, then the cell repaints.
    void doAfterUpdate(int row, int field);

protected:
    // priceReferences: the fields prices compare with, the first the
    // dataset has; ending and durationMs: how highlights end.
    QuoteTableModel(const QStringList &priceReferences, CellHighlights::Ending ending, int durationMs,
                    QObject *parent);

    // The light blue of a changed cell.
    static const QColor HighlightColour;

    CellHighlights *highlights() const { return m_highlights; }
    // Lights the cell of the field in row as this table shows a change.
    virtual void highlightCell(int row, int field) = 0;
    // Tells of a changed cell, or notes it while changes are held.
    void cellChanged(const QModelIndex &cell);
    bool isHighlighted(const QModelIndex &index) const;

private:
    void fieldsChanged();
    void rowsMoved();
    int rowOf(const SecurityId &security) const;
    void highlightEnded(const SecurityId &security, int column);
    // The row's security and format, kept while the rows stay as they are.
    struct RowSecurity
    {
        SecurityId id;
        bool formatRead = false;
        std::optional<QuoteFormat> format;
    };
    RowSecurity &rowSecurity(int row) const;
    std::optional<QuoteFormat> knownFormatOfRow(int row) const;

    const QStringList m_priceReferences;
    CellHighlights *m_highlights; // a child
    QuoteFieldRules m_rules;
    mutable CellTextCache m_texts;
    QVector<int> m_columnOfField;
    int m_marketField = -1;
    int m_codeField = -1;
    RowLocator m_rowOf;
    bool m_holding = false;
    // The held changes: the rows changed, and each row's changed columns as
    // bits, m_heldWords words a row.
    std::vector<int> m_heldRows;
    std::vector<quint64> m_heldBits;
    size_t m_heldWords = 0;
    // The securities of the rows read so far, by row: a frame writes and
    // paints hundreds of cells, each naming its row's security. Any change
    // of rows or of a row's security ends them all.
    quint64 m_rowsGeneration = 0;
    mutable quint64 m_securitiesGeneration = ~quint64(0);
    mutable std::vector<RowSecurity> m_rowSecurities;
    mutable SecurityFormats m_formats;
};
