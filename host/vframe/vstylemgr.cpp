#include "vstylemgr.h"

#include <voutput.h>

#include <QApplication>
#include <QPalette>

namespace {

struct ColorRes
{
    const char *name;
    QRgb light;
    QRgb dark;
};

// Rising values are red and falling ones green, as the market shows them.
// The light watchlist colours are the ones it has always shown (dark blue,
// red, dark green); the light window colours are those of Qt's Fusion style.
constexpr ColorRes Resources[] = {
    {"Qout_Border_Color", 0xC8C8C8, 0x3C3C3C},
    {"Qout_Title_Font_Color", 0x1A1A1A, 0xE6E6E6},
    {"Qout_Background_Color", 0xFFFFFF, 0x1E1E1E},
    {"Qout_Label_Font_Color", 0x505050, 0xB4B4B4},
    {"Qout_Rise_Color", 0xDC0A0A, 0xFF4C4C},
    {"Qout_Fall_Color", 0x0A800A, 0x3CC83C},
    {"Qout_Neutral_Color", 0x202020, 0xDCDCDC},
    {"Stk_Code_Font_Color", 0x000080, 0x7FB4F0},
    {"Stk_Rise_Color", 0xFF0000, 0xFF4C4C},
    {"Stk_Fall_Color", 0x008000, 0x3CC83C},
    {"Wnd_Window_Color", 0xEFEFEF, 0x2D2D30},
    {"Wnd_Text_Color", 0x000000, 0xDCDCDC},
    {"Wnd_DisabledText_Color", 0xBEBEBE, 0x6E6E6E},
    {"Wnd_Base_Color", 0xFFFFFF, 0x1E1E1E},
    {"Wnd_AlternateBase_Color", 0xF7F7F7, 0x262628},
    {"Wnd_Button_Color", 0xEFEFEF, 0x3A3A3D},
    {"Wnd_Highlight_Color", 0x308CC6, 0x2F65CA},
    {"Wnd_HighlightedText_Color", 0xFFFFFF, 0xFFFFFF},
    {"Wnd_ToolTip_Color", 0xFFFFDC, 0x3A3A3D},
    {"Wnd_Link_Color", 0x0000FF, 0x6CB4FF},
};

struct Style
{
    QLatin1String name;
    const char *title;
};
const Style Styles[] = {{QLatin1String("light"), "浅色"}, {QLatin1String("dark"), "深色"}};

} // namespace

VStyleMgr::VStyleMgr(QObject *parent)
    : QObject(parent)
{
    setStyle(Styles[0].name);
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
    QStringList names;
    for (const Style &style : Styles)
        names << style.name;
    return names;
}

QString VStyleMgr::styleTitle(const QString &style)
{
    for (const Style &entry : Styles) {
        if (entry.name == style)
            return QString::fromUtf8(entry.title);
    }
    return style;
}

bool VStyleMgr::setStyle(const QString &name)
{
    if (!styles().contains(name)) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("未知的界面风格[%1]").arg(name));
        return false;
    }
    const bool dark = name != Styles[0].name;
    m_style = name;
    m_colors.clear();
    for (const ColorRes &res : Resources)
        m_colors.insert(QLatin1String(res.name), QColor(dark ? res.dark : res.light));
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::setPalette(palette());
    emit onSystemStyleChanged();
    return true;
}

QPalette VStyleMgr::palette() const
{
    const auto res = [this](const char *name) { return colorRes(QLatin1String(name)); };
    const QColor window = res("Wnd_Window_Color");
    const QColor button = res("Wnd_Button_Color");
    const QColor text = res("Wnd_Text_Color");
    QPalette palette(button, window);
    // The bevel shades derive from the button colour, as Fusion derives them.
    palette.setColor(QPalette::Light, button.lighter(150));
    palette.setColor(QPalette::Mid, button.darker(130));
    palette.setColor(QPalette::Midlight, button.darker(130).lighter(110));
    palette.setColor(QPalette::Dark, button.darker(150));
    palette.setColor(QPalette::Shadow, button.darker(150).darker(135));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                                           QPalette::ToolTipText})
        palette.setColor(role, text);
    QColor placeholder = text;
    placeholder.setAlpha(128);
    palette.setColor(QPalette::PlaceholderText, placeholder);
    palette.setColor(QPalette::Base, res("Wnd_Base_Color"));
    palette.setColor(QPalette::AlternateBase, res("Wnd_AlternateBase_Color"));
    palette.setColor(QPalette::Highlight, res("Wnd_Highlight_Color"));
    palette.setColor(QPalette::HighlightedText, res("Wnd_HighlightedText_Color"));
    palette.setColor(QPalette::ToolTipBase, res("Wnd_ToolTip_Color"));
    palette.setColor(QPalette::Link, res("Wnd_Link_Color"));
    const QColor disabled = res("Wnd_DisabledText_Color");
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    return palette;
}
