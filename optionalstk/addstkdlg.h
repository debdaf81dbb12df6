#pragma once

#include <vdialog.h>

class InputHint;
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

    // What the line under the field says, empty while it says nothing.
    QString hint() const;

signals:
    // The chosen security: internal id, market character, trading code.
    void sendData(const QString &stockId, char market, const QString &stockCode);

private slots:
    void bntclicked();

private:
    QString missingStock() const;
    // Whether some security's code starts with text, or its name or
    // initials hold it, in the host's securities cache.
    static bool someSecurityMatches(const QString &text);

    struct Form
    {
        QGridLayout *gridLayout;
        VStockEdit *vStockEdit;
        QPushButton *pushButton;
        InputHint *hint;
        void setupUi(AddStkDLG *dialog);
    };
    Form m_ui;
};
