#pragma once

#include "vframe_global.h"

#include <QColor>
#include <QHash>
#include <QObject>
#include <QSet>

// The client's colour scheme. Every colour resource has a value in each
// built-in style ("light", the default, and "dark"); colours set with
// setColorRes override the style's until the next setStyle.
//
// Quote widgets read: "Qout_Border_Color", "Qout_Title_Font_Color",
// "Qout_Background_Color", "Qout_Label_Font_Color", "Qout_Rise_Color",
// "Qout_Fall_Color", "Qout_Neutral_Color" and "Qout_Volume_Color".
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
    static QStringList styles();
    // Switches to a built-in style, dropping overrides, and announces the
    // change; false (logged) for an unknown name.
    bool setStyle(const QString &name);

signals:
    void onSystemStyleChanged();

private:
    QString m_style;
    QHash<QString, QColor> m_colors;
    mutable QSet<QString> m_reported;
};
