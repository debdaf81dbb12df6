#pragma once

#include "vframe_global.h"

#include <QColor>
#include <QHash>
#include <QObject>

// The client's colour scheme. Every colour resource has a value in each
// built-in style ("light", "dark"); colours set with setColorRes override the
// style's until the next setStyle.
class VFRAME_EXPORT VStyleMgr : public QObject
{
    Q_OBJECT
public:
    explicit VStyleMgr(QObject *parent = nullptr);

    QColor colorRes(const QString &name) const;
    void setColorRes(const QString &name, const QColor &color);

    QString style() const;
    static QStringList styles();
    // Switches to a built-in style and announces the change; false for an unknown name.
    bool setStyle(const QString &name);

signals:
    void onSystemStyleChanged();

private:
    QString m_style;
    QHash<QString, QColor> m_colors;
};
