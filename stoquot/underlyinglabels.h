#pragma once

#include <securityformats.h>

#include <QObject>
#include <QString>

class CaptionValueLabel;
class QuotBatch;
struct VQuotData;

// The option board's four labels of its underlying: code and name, last
// price, change and change ratio, coloured by their sign, the numbers in
// the underlying's format. A quote waits
// for the next frame and shows the latest; when the underlying changes,
// quotes of the one before still waiting are dropped, so the labels keep
// the old underlying's own texts until the new one's first quote. The
// labels belong to the board's form.
//
// A label keeps its size while its texts are no longer than the one it was
// sized for, and grows for a longer one: a text of a label of fixed size
// does not lay the board's form out again, which a busy underlying would
// have every frame, and the labels beside it do not jump as the numbers
// change. A new underlying's labels are sized for its own texts.
class UnderlyingLabels : public QObject
{
    Q_OBJECT
public:
    UnderlyingLabels(CaptionValueLabel *code, CaptionValueLabel *last, CaptionValueLabel *change,
                     CaptionValueLabel *ratio, QObject *parent = nullptr);

    void setUnderlying(const QString &code, const QString &name);
    void receive(const VQuotData &record);

private:
    struct SizedLabel
    {
        CaptionValueLabel *label;
        int sizedLength = -1; // the text length the fixed size fits; -1: not fixed
        void show(const QString &caption, const QString &colour, const QString &value);
        void release();
    };

    void showLatest();

    SizedLabel m_code;
    SizedLabel m_last;
    SizedLabel m_change;
    SizedLabel m_ratio;
    QString m_underlyingCode;
    QString m_underlyingName;
    SecurityFormats m_formats;
    QuotBatch *m_quotes; // a child
};
