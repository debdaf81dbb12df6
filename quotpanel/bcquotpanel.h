#pragma once

#include <tarn_global.h>

#include <icomponent.h>

#include <memory>

class QuotBatch;
struct VQuotData;
class VQuotDataItem;
class VQuotSubscriber;
namespace Ui {
class BCQuotPanelClass;
}

// The live quote of one security: product, market, thirteen items and up to
// ten levels, drawn by an embedded VQuotPanel. Other modules choose the
// security through the published slot "doSubscribeQuot"; a click on an item
// is published as "onSelectedQuotItem". The panel owns its one subscriber
// and deletes it (after unsubscribing) when it is destroyed. Records are
// shown at the next display frame, the latest one of the frame; the layout
// choices persist under the component's configuration group. Its colours
// are the client style's, read again at every style change.
class TARN_EXPORT BCQuotPanel : public IComponent
{
    Q_OBJECT
public:
    BCQuotPanel(QWidget *parent, QString className, const QString &identity, const QMap<QString, QVariant> *params);
    ~BCQuotPanel() override;

    QSize sizeHint() const override;
    // The quote panel's width plus 2; no height of its own.
    QSize minimumSizeHint() const override;
    // A product line too long for the panel's title shows whole as its tooltip.
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void onSelectedQuotItem(VQuotDataItem *item);

public slots:
    // Shows and subscribes one security; the same market and code again change nothing.
    void doSubscribeQuot(char cMarket, QString sStkCode, QString sStkName, double dbPriceUnit, const QString &sSktType);

protected:
    void saveScene() override;
    void restoreScene() override;

private slots:
    void doRecvSubscribeQuot(VQuotData *pQuotData);
    void doSystemStyleChanged();

private:
    void setupStyle();
    void registSignalSlots();
    // The product line when the panel's title cannot show it whole, else empty.
    QString elidedTitle() const;
    QFont titleFont() const;
    // Shows the record that arrived last before this frame.
    void showLatest();
    void showQuote(const VQuotData &quote);

    char m_market = 0;
    QString m_stkCode;
    QString m_stkType;
    QString m_marketName;
    double m_priceUnit = 0.0;
    std::unique_ptr<Ui::BCQuotPanelClass> ui;
    VQuotSubscriber *m_subscriber = nullptr;
    QuotBatch *m_quotes; // a child
};
