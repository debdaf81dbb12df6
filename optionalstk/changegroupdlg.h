#pragma once

#include <vdialog.h>

class InputHint;
class QHBoxLayout;
class QVBoxLayout;
class QLineEdit;
class QPushButton;

// Asks for a group name of at most six characters, for a new group or for
// renaming one; the caller sets the title. Input beyond six characters is
// refused, and an empty name not sent, each with a hint under the field.
// Deletes itself when closed.
class ChangeGroupDlg : public VDialog
{
    Q_OBJECT
public:
    explicit ChangeGroupDlg(QWidget *parent = nullptr);

    // Prefills the name field; a longer name is cut to six characters, with the hint.
    void setText(const QString &text);
    // What the line under the field says, empty while it says nothing.
    QString hint() const;

signals:
    // A non-empty name; checking it (spaces, duplicates) is the receiver's job.
    void sendGroupName(const QString &name);

private slots:
    void bntOk_clicked();

private:
    static QString tooLong();

    struct Form
    {
        QVBoxLayout *verticalLayout;
        QHBoxLayout *horizontalLayout;
        QLineEdit *lineEdit;
        QPushButton *bnt_ok;
        InputHint *hint;
        void setupUi(ChangeGroupDlg *dialog);
    };
    Form m_ui;
};
