#include "underlyinglabels.h"

#include <quotbatch.h>
#include <quotetext.h>

#include <vquotdata.h>

#include <QLabel>

#include <cmath>

namespace {

// A loss green, no change (or no number) grey, a gain red.
QString riseFallColour(double value, double reference)
{
    if (!QuoteText::isShownNumber(value) || !QuoteText::isShownNumber(reference))
        return QStringLiteral("#808080");
    if (reference - value > 1e-5)
        return QStringLiteral("#008000");
    if (std::fabs(value - reference) < 1e-5)
        return QStringLiteral("#808080");
    return QStringLiteral("#DC0A0A");
}

// A number of the record as label text; "--" for a value no quote can hold.
QString numberText(double value, int decimals)
{
    return QuoteText::isShownNumber(value) ? QString::number(value, 'f', decimals) : QStringLiteral("--");
}

} // namespace

UnderlyingLabels::UnderlyingLabels(QLabel *code, QLabel *last, QLabel *change, QLabel *ratio, QObject *parent)
    : QObject(parent)
    , m_code {code}
    , m_last {last}
    , m_change {change}
    , m_ratio {ratio}
    , m_quotes(new QuotBatch(this))
{
    connect(m_quotes, &QuotBatch::ready, this, &UnderlyingLabels::showLatest);
}

void UnderlyingLabels::setUnderlying(const QString &code, const QString &name)
{
    m_underlyingCode = code;
    m_underlyingName = name;
    m_quotes->clear();
    for (SizedLabel *label : {&m_code, &m_last, &m_change, &m_ratio})
        label->release();
}

void UnderlyingLabels::receive(const VQuotData &record)
{
    m_quotes->add(record);
}

void UnderlyingLabels::showLatest()
{
    const std::vector<VQuotData> &latest = m_quotes->take();
    if (latest.empty())
        return;
    const VQuotData &q = latest.back();
    const QString lastColour = riseFallColour(q.lastPrice, q.preClosingPrice);
    const QString changeColour = riseFallColour(q.priceChange, 0.0);
    m_code.show(
        QStringLiteral("标的证券:<font color='#808080'>%1(%2)</font>").arg(m_underlyingCode, m_underlyingName));
    m_last.show(QStringLiteral("最新价:<font color='%1'>%2</font>").arg(lastColour, numberText(q.lastPrice, 4)));
    m_change.show(QStringLiteral("涨跌:<font color='%1'>%2</font>").arg(changeColour, numberText(q.priceChange, 4)));
    m_ratio.show(QStringLiteral("涨跌幅:<font color='%1'>%2%</font>")
                     .arg(changeColour, numberText(q.priceChangeRatio * 100.0, 2)));
}

void UnderlyingLabels::SizedLabel::show(const QString &text)
{
    label->setText(text);
    // Lays the rich text out now, in the frame: laid out by the paint, it
    // asks for a second paint after the frame.
    const QSize hint = label->sizeHint();
    if (text.size() <= sizedLength)
        return;
    label->setFixedSize(qMax(hint.width(), label->minimumWidth()), hint.height());
    sizedLength = text.size();
}

void UnderlyingLabels::SizedLabel::release()
{
    if (sizedLength < 0)
        return;
    label->setMinimumSize(0, 0);
    label->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    sizedLength = -1;
}
