#include "sampleprofile.h"

#include <vcsv.h>
#include <vlocaldb.h>
#include <voutput.h>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QVariant>

bool SampleProfile::seed(const QString &dataDir, VLocalDb *db)
{
    const QString path = QDir(dataDir).filePath(QStringLiteral("profile.csv"));
    if (!db->isFresh() || !QFileInfo::exists(path))
        return false;
    QVector<VCsv::Line> lines;
    QString error;
    if (!VCsv::read(path, lines, &error)) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("初始配置文件[%1]读取失败: %2").arg(path, error));
        return false;
    }
    QHash<QString, QHash<QString, QVariant>> groups;
    QStringList order;
    for (const VCsv::Line &line : qAsConst(lines)) {
        if (line.number == lines.constFirst().number && line.fields.value(0) == QLatin1String("group"))
            continue;
        if (line.fields.size() != 3 || line.fields.at(0).isEmpty() || line.fields.at(1).isEmpty()) {
            VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                    QStringLiteral("初始配置文件[%1]第%2行格式错误,已跳过").arg(path).arg(line.number));
            continue;
        }
        if (!groups.contains(line.fields.at(0)))
            order << line.fields.at(0);
        groups[line.fields.at(0)].insert(line.fields.at(1), line.fields.at(2));
    }
    bool stored = false;
    for (const QString &group : qAsConst(order))
        stored = db->setCfgParam(group, groups.value(group), false) || stored;
    return stored;
}
