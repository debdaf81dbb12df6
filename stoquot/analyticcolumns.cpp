#include "analyticcolumns.h"

#include "optionanalytics.h"

#include <quotetext.h>

namespace {

struct Definition
{
    const char *caption;
    const char *explanation;
    const char *key;
};

const Definition Definitions[AnalyticColumns::Count] = {
    {"隐含波动率", "期权价格(买一卖一中间价,缺一边时为最新价)反推的年化波动率", "ShowImpliedVolatility"},
    {"Delta", "标的价格变动一元时期权价格的变动", "ShowDelta"},
    {"Gamma", "标的价格变动一元时Delta的变动", "ShowGamma"},
    {"Vega", "波动率变动一个百分点时期权价格的变动", "ShowVega"},
    {"Theta", "每过一个自然日期权价格的变动", "ShowTheta"},
    {"内在价值", "立即行权的价值", "ShowIntrinsicValue"},
    {"时间价值", "期权价格高出内在价值的部分(深度实值的欧式认沽可为负)", "ShowTimeValue"},
};

} // namespace

QString AnalyticColumns::caption(Column column)
{
    return QString::fromUtf8(Definitions[column].caption);
}

QString AnalyticColumns::explanation(Column column)
{
    return QString::fromUtf8(Definitions[column].explanation);
}

QString AnalyticColumns::sceneKey(Column column)
{
    return QLatin1String(Definitions[column].key);
}

bool AnalyticColumns::value(Column column, const OptionFigures &figures, double *out)
{
    const bool solved = figures.status == OptionFigures::Solved;
    switch (column) {
    case ImpliedVolatility: *out = figures.impliedVolatility; return solved;
    case Delta: *out = figures.delta; return solved;
    case Gamma: *out = figures.gamma; return solved;
    case Vega: *out = figures.vega; return solved;
    case Theta: *out = figures.theta; return solved;
    case IntrinsicValue: *out = figures.intrinsic.value_or(0); return figures.intrinsic.has_value();
    case TimeValue: *out = figures.timeValue.value_or(0); return figures.timeValue.has_value();
    case Count: break;
    }
    return false;
}

QString AnalyticColumns::text(Column column, double value)
{
    if (column == ImpliedVolatility)
        return QuoteFormat::percentText(value * 100);
    return QuoteText::fixed(value, 4);
}
