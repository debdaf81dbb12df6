#pragma once

#include "vframe_global.h"

#include <QColor>
#include <QHash>
#include <QObject>
#include <QSet>

class QPalette;

// The client's colour scheme. Every colour resource has a value in each
// built-in style ("light", the default, and "dark"); colours set with
// setColorRes override the style's until the next setStyle. A switch also
// gives the application the style's palette (window, text, base, button and
// highlight colours from the "Wnd_" resources), so every widget follows it.
//
// Quote panels read: "Qout_Border_Color", "Qout_Title_Font_Color",
// "Qout_Background_Color", "Qout_Label_Font_Color", "Qout_Rise_Color",
// "Qout_Fall_Color" and "Qout_Neutral_Color" (unchanged values, volumes).
// Watchlists read: "Stk_Code_Font_Color", "Stk_Rise_Color" and "Stk_Fall_Color".
class VFRAME_EXPORT VStyleMgr : public QObject
{
    Q_OBJECT
public:
    explicit VStyleMgr(QObject *parent = nullptr);

    // Invalid (and logged once per name) for a name no style defines.
    QColor colorRes(const QString &name) const;
    void setColorRes(const QString &name, const QColor &color);
    static QStringList resourceNames();

    QString style() const;
    // The built-in styles' names, as stored; styleTitle gives what a menu shows.
    static QStringList styles();
    static QString styleTitle(const QString &style);
    // Switches to a built-in style, dropping overrides, applies its palette
    // and announces the change; false (logged) for an unknown name.
    bool setStyle(const QString &name);

    // The palette of the current colours.
    QPalette palette() const;

signals:
    void onSystemStyleChanged();

private:
    QString m_style;
    QHash<QString, QColor> m_colors;
    mutable QSet<QString> m_reported;
};
