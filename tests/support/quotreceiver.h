#pragma once

#include <vquotdata.h>
#include <vquotsubscriber.h>

#include <QHash>
#include <QVector>

#include <functional>

// Receives the quotes of the securities it subscribes: each security's last
// prices in the order received, and its latest record.
class QuotReceiver : public QObject
{
    Q_OBJECT
public:
    QuotReceiver();

    // Makes products ("market|code") the whole list and subscribes it.
    bool subscribe(const QStringList &products);

    QHash<QString, QVector<double>> prices;
    QHash<QString, VQuotData> latest;
    // Runs with every record, after it is kept.
    std::function<void(const VQuotData &)> onRecord;

private slots:
    void doRecv(VQuotData *record);

private:
    VQuotSubscriber m_subscriber;
};
