#include "underlyinglabels.h"

#include "captionvaluelabel.h"

#include <quotbatch.h>
#include <quotetext.h>
#include <quotewriter.h>

#include <vquotdata.h>

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

// A value of the record as label text, in the underlying's format; "--" for none.
QString valueText(const VQuotData &record, QuoteValue value, const QuoteFormat &format)
{
    const double number = QuoteWriter::read(record, value).value_or(std::nan(""));
    return value == QuoteValue::ChangePercent ? QuoteFormat::percentText(number)
                                              : format.text(quoteKind(value), number);
}

} // namespace

UnderlyingLabels::UnderlyingLabels(CaptionValueLabel *code, CaptionValueLabel *last, CaptionValueLabel *change,
                                   CaptionValueLabel *ratio, QObject *parent)
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
    m_code.show(QStringLiteral("标的证券:"), QStringLiteral("#808080"),
                QStringLiteral("%1(%2)").arg(m_underlyingCode, m_underlyingName));
    const QuoteFormat format = m_formats.of(SecurityId::of(q));
    m_last.show(QStringLiteral("最新价:"), lastColour, valueText(q, QuoteValue::LastPrice, format));
    m_change.show(QStringLiteral("涨跌:"), changeColour, valueText(q, QuoteValue::Change, format));
    m_ratio.show(QStringLiteral("涨跌幅:"), changeColour, valueText(q, QuoteValue::ChangePercent, format));
}

void UnderlyingLabels::SizedLabel::show(const QString &caption, const QString &colour, const QString &value)
{
    label->setCaptionValue(caption, colour, value);
    const int length = label->text().size();
    if (length <= sizedLength)
        return;
    const QSize hint = label->sizeHint();
    label->setFixedSize(qMax(hint.width(), label->minimumWidth()), hint.height());
    sizedLength = length;
}

void UnderlyingLabels::SizedLabel::release()
{
    if (sizedLength < 0)
        return;
    label->setMinimumSize(0, 0);
    label->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    sizedLength = -1;
}
