#pragma once

#include "vstocksource.h"
#include "vwidget_global.h"

#include <QWidget>

class QCompleter;
class QLineEdit;
class QModelIndex;
class QStandardItemModel;

// A security entry: as the user types a code or part of a name (the empty
// field says "代码/名称"), a drop-down lists the matching securities (code,
// name, market); choosing one, with the mouse or with Enter, makes it the
// entry's security. Typing again forgets the choice until another is made.
// The entry searches nothing until a source is attached
// (VStockHelper::connectStockEdit does that).
class VWIDGET_EXPORT VStockEdit : public QWidget
{
    Q_OBJECT
public:
    // The most matches the drop-down lists.
    static constexpr int MaxMatches = 20;

    explicit VStockEdit(QWidget *parent = nullptr);
    ~VStockEdit() override;

    // Not owned; it must outlive the entry or be replaced before it goes.
    void setStockSource(VStockSource *source);
    VStockSource *stockSource() const;

    // Stock types the entry does not offer, codes separated by ",". "*"
    // switches the type filter off: every type is offered, as by default.
    void setFilterDisableStockType(const QString &types);

    QString getStockId() const;
    QString getStockCode() const;
    QString getStockName() const;
    // The market code's character; 0 when no security is chosen.
    char getStockMarket() const;
    // True while no security is chosen.
    bool isEmpty() const;
    // Makes the security with this internal id the chosen one, as if the user
    // had picked it; false (and the entry emptied) when the source has no such security.
    bool selectStock(const QString &stockId);
    // Forgets the chosen security and the text.
    void clear();

    QLineEdit *editor() const;
    // The drop-down's matches: one row per security, columns code, name, market.
    QStandardItemModel *matches() const;

signals:
    // The chosen security changed (to another one or to none).
    void stockChanged();

private:
    void search(const QString &text);
    void choose(const VStockInfo &stock);
    void chooseMatch(const QModelIndex &index);
    void returnPressed();
    void forget();

    QLineEdit *m_editor;
    QStandardItemModel *m_matches;
    QCompleter *m_completer;
    VStockSource *m_source = nullptr;
    QSet<QString> m_hiddenTypes;
    QList<VStockInfo> m_found;
    VStockInfo m_stock;
};
