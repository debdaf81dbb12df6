#include "vstylemgr.h"

#include <voutput.h>

namespace {

struct ColorRes
{
    const char *name;
    QRgb light;
    QRgb dark;
};

// Rising values are red and falling ones green, as the market shows them.
constexpr ColorRes Resources[] = {
    {"Qout_Border_Color", 0xC8C8C8, 0x3C3C3C},     {"Qout_Title_Font_Color", 0x1A1A1A, 0xE6E6E6},
    {"Qout_Background_Color", 0xFFFFFF, 0x1E1E1E}, {"Qout_Label_Font_Color", 0x505050, 0xB4B4B4},
    {"Qout_Rise_Color", 0xDC0A0A, 0xFF3C3C},       {"Qout_Fall_Color", 0x0A800A, 0x32C832},
    {"Qout_Neutral_Color", 0x808080, 0xC8C8C8},    {"Qout_Volume_Color", 0xB47800, 0xF0C800},
};

constexpr QLatin1String Light("light");
constexpr QLatin1String Dark("dark");

} // namespace

VStyleMgr::VStyleMgr(QObject *parent)
    : QObject(parent)
{
    setStyle(Light);
}

QColor VStyleMgr::colorRes(const QString &name) const
{
    const auto it = m_colors.constFind(name);
    if (it != m_colors.cend())
        return *it;
    if (!m_reported.contains(name)) {
        m_reported.insert(name);
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("未定义的颜色资源[%1]").arg(name));
    }
    return QColor();
}

void VStyleMgr::setColorRes(const QString &name, const QColor &color)
{
    m_colors.insert(name, color);
}

QStringList VStyleMgr::resourceNames()
{
    QStringList names;
    for (const ColorRes &res : Resources)
        names << QLatin1String(res.name);
    return names;
}

QString VStyleMgr::style() const
{
    return m_style;
}

QStringList VStyleMgr::styles()
{
    return {Light, Dark};
}

bool VStyleMgr::setStyle(const QString &name)
{
    if (!styles().contains(name)) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("未知的界面风格[%1]").arg(name));
        return false;
    }
    const bool dark = name == Dark;
    m_style = name;
    m_colors.clear();
    for (const ColorRes &res : Resources)
        m_colors.insert(QLatin1String(res.name), QColor(dark ? res.dark : res.light));
    emit onSystemStyleChanged();
    return true;
}
