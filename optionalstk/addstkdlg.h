#pragma once

#include <vdialog.h>

class QGridLayout;
class QPushButton;
class VStockEdit;

// Searches a security and hands each chosen one to the watchlist without
// closing, so several can be added in a row; adding with none chosen says
// why under the field. Deletes itself when closed.
class AddStkDLG : public VDialog
{
    Q_OBJECT
public:
    explicit AddStkDLG(QWidget *parent = nullptr);

signals:
    // The chosen security: internal id, market character, trading code.
    void sendData(const QString &stockId, char market, const QString &stockCode);

private slots:
    void bntclicked();

private:
    QString missingStock() const;

    struct Form
    {
        QGridLayout *gridLayout;
        VStockEdit *vStockEdit;
        QPushButton *pushButton;
        void setupUi(AddStkDLG *dialog);
    };
    Form m_ui;
};
