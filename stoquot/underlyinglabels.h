#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QuotBatch;
struct VQuotData;

// The option board's four labels of its underlying: code and name, last
// price, change and change ratio, coloured by their sign. A quote waits
// for the next frame and shows the latest; when the underlying changes,
// quotes of the one before still waiting are dropped, so the labels keep
// the old underlying's own texts until the new one's first quote. The
// labels belong to the board's form.
class UnderlyingLabels : public QObject
{
    Q_OBJECT
public:
    UnderlyingLabels(QLabel *code, QLabel *last, QLabel *change, QLabel *ratio, QObject *parent = nullptr);

    void setUnderlying(const QString &code, const QString &name);
    void receive(const VQuotData &record);

private:
    void showLatest();

    QLabel *m_code;
    QLabel *m_last;
    QLabel *m_change;
    QLabel *m_ratio;
    QString m_underlyingCode;
    QString m_underlyingName;
    QuotBatch *m_quotes; // a child
};
