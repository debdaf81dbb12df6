#pragma once

#include "vquot_global.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

struct VQuotData;

// A component's list of wanted securities and the slot that receives their
// quotes. Editing the list sends nothing; subscribe() hands the list to the
// quote manager (VQuotMgr::instance()).
class VQUOT_EXPORT VQuotSubscriber : public QObject
{
    Q_OBJECT
public:
    VQuotSubscriber(QObject *parent, const QString &name);
    ~VQuotSubscriber() override;

    QString subName() const;

    // slot in Qt's string form with its leading code, "1doRecv(VQuotData*)";
    // it takes one VQuotData*. The method is looked up here, once. False (and
    // a log record) when receiver has no such slot; nothing is received then.
    bool setRecvSlot(QObject *receiver, const char *slot);
    QObject *receiver() const { return m_receiver.data(); }
    // The receiver's method index, -1 when there is none.
    int receiverMethod() const { return m_method; }

    // False for a market that is not printable ASCII or is '|', an empty code,
    // a code holding '|' or a code longer than the record's field.
    bool addProduct(char market, const QString &code);
    void removeProduct(char market, const QString &code);
    void clear();
    // Entries "market|code" in the order added, each once.
    const QStringList &productList() const;

    bool subscribe();
    // Makes that one security the whole list and subscribes it.
    bool subOneProduct(char market, const QString &code);
    // With clearList the product list is empty afterwards.
    bool unsubscribe(bool clearList);

    static QString productKey(char market, const QString &code);
    static bool isValidProduct(char market, const QString &code);
    // The market and the code (UTF-8) of a key "market|code"; false when
    // the key is not of a valid product.
    static bool splitProductKey(const QString &key, char *market, QByteArray *code);

private:
    QString m_name;
    QStringList m_products;
    QSet<QString> m_productSet; // the same entries, so adding thousands never scans the list
    QPointer<QObject> m_receiver;
    int m_method = -1;
};
