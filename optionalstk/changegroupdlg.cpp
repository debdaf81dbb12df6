#include "changegroupdlg.h"

#include "inputhint.h"

#include <vfutils.h>

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {
const int MaxNameLength = 6;
} // namespace

void ChangeGroupDlg::Form::setupUi(ChangeGroupDlg *dialog)
{
    dialog->setObjectName(QStringLiteral("ChangeGroupDlg"));
    dialog->resize(309, 95);
    dialog->setWindowTitle(QStringLiteral("更改分组名称"));
    // The name's row, and the hint line under it.
    verticalLayout = new QVBoxLayout(dialog);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    horizontalLayout = new QHBoxLayout;
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    verticalLayout->addLayout(horizontalLayout);
    lineEdit = new QLineEdit(dialog);
    lineEdit->setObjectName(QStringLiteral("lineEdit"));
    lineEdit->setFixedSize(170, 26);
    horizontalLayout->addWidget(lineEdit);
    bnt_ok = new QPushButton(QStringLiteral("确定"), dialog);
    bnt_ok->setObjectName(QStringLiteral("bnt_ok"));
    bnt_ok->setFixedSize(75, 26);
    horizontalLayout->addWidget(bnt_ok);
    hint = new InputHint(dialog);
    verticalLayout->addWidget(hint);
}

ChangeGroupDlg::ChangeGroupDlg(QWidget *parent)
    : VDialog(parent, vc::CWM_SHADOW_WIDTH, vc::CWM_BORDER_WIDTH)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_ui.setupUi(this);
    m_ui.lineEdit->setMaxLength(MaxNameLength);
    // The field refuses what goes beyond the limit (a paste is cut); the line
    // under it says so until the name is shorter again.
    connect(m_ui.lineEdit, &QLineEdit::inputRejected, this, [this] { m_ui.hint->setText(tooLong()); });
    connect(m_ui.lineEdit, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text.size() < MaxNameLength)
            m_ui.hint->setText(QString());
    });
    connect(m_ui.bnt_ok, &QPushButton::clicked, this, &ChangeGroupDlg::bntOk_clicked);
    m_ui.lineEdit->setFocus();
}

void ChangeGroupDlg::setText(const QString &text)
{
    m_ui.lineEdit->setText(text);
    m_ui.hint->setText(text.size() > MaxNameLength ? tooLong() : QString());
}

QString ChangeGroupDlg::tooLong()
{
    return QStringLiteral("分组名最多%1个字").arg(MaxNameLength);
}

void ChangeGroupDlg::bntOk_clicked()
{
    const QString name = m_ui.lineEdit->text();
    if (name.isEmpty()) {
        m_ui.hint->setText(QStringLiteral("请输入分组名"));
        return;
    }
    // The receiver may close this dialog and open a fresh one for another try.
    QPointer<ChangeGroupDlg> self(this);
    emit sendGroupName(name);
    if (self)
        accept();
}

QString ChangeGroupDlg::hint() const
{
    return m_ui.hint->text();
}
