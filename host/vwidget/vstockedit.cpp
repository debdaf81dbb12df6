#include "vstockedit.h"

#include "vwidgetlog.h"

#include <vfutils.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

enum MatchColumn { CodeColumn, NameColumn, MarketColumn, MatchColumnCount };
const int PopupMinWidth = 260;

} // namespace

VStockEdit::VStockEdit(QWidget *parent)
    : QWidget(parent)
    , m_editor(new QLineEdit(this))
    , m_matches(new QStandardItemModel(0, MatchColumnCount, this))
    , m_completer(new QCompleter(m_matches, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_editor);
    setFocusProxy(m_editor);
    m_editor->setPlaceholderText(QStringLiteral("代码/名称"));

    // The source does the matching; the completer only shows every match and
    // handles the keys of the drop-down.
    auto *popup = new QTreeView;
    popup->setRootIsDecorated(false);
    popup->setHeaderHidden(true);
    popup->setUniformRowHeights(true);
    popup->setEditTriggers(QAbstractItemView::NoEditTriggers);
    popup->setSelectionBehavior(QAbstractItemView::SelectRows);
    popup->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_completer->setPopup(popup); // the completer owns the popup
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setWidget(m_editor);

    connect(m_editor, &QLineEdit::textEdited, this, &VStockEdit::search);
    connect(m_editor, &QLineEdit::returnPressed, this, &VStockEdit::returnPressed);
    connect(m_completer, QOverload<const QModelIndex &>::of(&QCompleter::activated), this, &VStockEdit::chooseMatch);
}

VStockEdit::~VStockEdit() = default;

void VStockEdit::setStockSource(VStockSource *source)
{
    m_source = source;
}

VStockSource *VStockEdit::stockSource() const
{
    return m_source;
}

void VStockEdit::setFilterDisableStockType(const QString &types)
{
    m_hiddenTypes.clear();
    if (types.trimmed() == QLatin1String("*"))
        return;
    const QStringList codes = types.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &code : codes)
        m_hiddenTypes.insert(code.trimmed());
}

QString VStockEdit::getStockId() const
{
    return m_stock.id;
}

QString VStockEdit::getStockCode() const
{
    return m_stock.code;
}

QString VStockEdit::getStockName() const
{
    return m_stock.name;
}

char VStockEdit::getStockMarket() const
{
    return vf::strToChar(m_stock.market);
}

bool VStockEdit::isEmpty() const
{
    return m_stock.id.isEmpty();
}

bool VStockEdit::selectStock(const QString &stockId)
{
    VStockInfo stock;
    if (!m_source || stockId.isEmpty() || !m_source->stockById(stockId, stock)) {
        clear();
        return false;
    }
    choose(stock);
    return true;
}

void VStockEdit::clear()
{
    m_editor->clear();
    m_completer->popup()->hide();
    forget();
}

QLineEdit *VStockEdit::editor() const
{
    return m_editor;
}

QStandardItemModel *VStockEdit::matches() const
{
    return m_matches;
}

void VStockEdit::search(const QString &text)
{
    forget();
    const QString key = text.trimmed();
    m_found = m_source && !key.isEmpty() ? m_source->findStocks(key, m_hiddenTypes, MaxMatches) : QList<VStockInfo>();
    qCDebug(lcWidget) << "search" << key << "found" << m_found.size();

    m_matches->removeRows(0, m_matches->rowCount());
    for (const VStockInfo &stock : qAsConst(m_found)) {
        m_matches->appendRow(
            {new QStandardItem(stock.code), new QStandardItem(stock.name), new QStandardItem(stock.marketName)});
    }
    if (m_found.isEmpty()) {
        m_completer->popup()->hide();
        return;
    }
    QRect below = m_editor->rect();
    below.setWidth(qMax(below.width(), PopupMinWidth));
    m_completer->complete(below);
}

void VStockEdit::chooseMatch(const QModelIndex &index)
{
    if (index.isValid() && index.row() < m_found.size())
        choose(m_found.at(index.row()));
}

// Enter without a highlighted match takes the first one; with a highlighted
// match the drop-down chooses it itself.
void VStockEdit::returnPressed()
{
    const QAbstractItemView *popup = m_completer->popup();
    if (popup->isVisible() && popup->currentIndex().isValid())
        return;
    if (isEmpty() && !m_found.isEmpty())
        choose(m_found.constFirst());
}

void VStockEdit::choose(const VStockInfo &stock)
{
    m_completer->popup()->hide();
    m_editor->setText(stock.code + QLatin1Char(' ') + stock.name);
    const bool changed = stock.id != m_stock.id;
    m_stock = stock;
    if (changed)
        emit stockChanged();
}

void VStockEdit::forget()
{
    if (m_stock.id.isEmpty())
        return;
    m_stock = VStockInfo();
    emit stockChanged();
}
