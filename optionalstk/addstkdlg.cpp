#include "addstkdlg.h"

#include "inputhint.h"

#include <ihostcontext.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <tarn_global.h>
#include <vfutils.h>
#include <voutput.h>
#include <vstockedit.h>
#include <vstockhelper.h>

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

void AddStkDLG::Form::setupUi(AddStkDLG *dialog)
{
    dialog->setObjectName(QStringLiteral("AddStkDLG"));
    dialog->resize(309, 95);
    dialog->setWindowTitle(QStringLiteral("添加股票到自选股"));
    gridLayout = new QGridLayout(dialog);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    vStockEdit = new VStockEdit(dialog);
    vStockEdit->setObjectName(QStringLiteral("vStockEdit"));
    vStockEdit->setFixedSize(170, 26);
    gridLayout->addWidget(vStockEdit, 0, 0);
    pushButton = new QPushButton(QStringLiteral("添加"), dialog);
    pushButton->setObjectName(QStringLiteral("pushButton"));
    pushButton->setFixedSize(75, 26);
    gridLayout->addWidget(pushButton, 0, 1);
    hint = new InputHint(dialog);
    gridLayout->addWidget(hint, 1, 0, 1, 2);
    QWidget::setTabOrder(vStockEdit, pushButton);
}

AddStkDLG::AddStkDLG(QWidget *parent)
    : VDialog(parent, vc::CWM_SHADOW_WIDTH, vc::CWM_BORDER_WIDTH)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_ui.setupUi(this);

    IHostContext *host = tarn::hostContext();
    if (VStockHelper *helper = host ? host->stockHelper() : nullptr)
        helper->connectStockEdit(m_ui.vStockEdit);
    else
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("主程序未提供证券查找, 无法搜索证券"));
    m_ui.vStockEdit->setFilterDisableStockType(QStringLiteral("*"));

    connect(m_ui.pushButton, &QPushButton::clicked, this, &AddStkDLG::bntclicked);
    // Typing, or a security chosen from the list, takes the hint away.
    connect(m_ui.vStockEdit->editor(), &QLineEdit::textChanged, this, [this] { m_ui.hint->setText(QString()); });
    m_ui.vStockEdit->setFocus();
}

// Why there is nothing to add: no text, a text whose matches the user has
// not chosen from, or a text that matches no security.
QString AddStkDLG::missingStock() const
{
    const VStockEdit *edit = m_ui.vStockEdit;
    const QString text = edit->editor()->text().trimmed();
    if (text.isEmpty())
        return QStringLiteral("请输入证券代码或名称");
    if (someSecurityMatches(text))
        return QStringLiteral("请从列表中选择证券");
    return QStringLiteral("未找到证券\"%1\"").arg(text);
}

void AddStkDLG::bntclicked()
{
    VStockEdit *edit = m_ui.vStockEdit;
    if (edit->isEmpty()) {
        m_ui.hint->setText(missingStock());
        return;
    }
    emit sendData(edit->getStockId(), edit->getStockMarket(), edit->getStockCode());
    // Ready for the next search: typing replaces the previous security.
    edit->editor()->setFocus();
    edit->editor()->selectAll();
}

QString AddStkDLG::hint() const
{
    return m_ui.hint->text();
}

bool AddStkDLG::someSecurityMatches(const QString &text)
{
    IHostContext *host = tarn::hostContext();
    VCacheItem *stocks = host && host->cacheMgr() ? host->cacheMgr()->stockCache() : nullptr;
    if (!stocks || !stocks->isNormal())
        return false;
    const QString owner = QStringLiteral("AddStkDLG");
    stocks->readLock(owner);
    bool found = false;
    for (int i = 0; !found && i < stocks->recordCount1(); ++i) {
        found = stocks->fieldValue1(i, QStringLiteral("stkcode")).toString().startsWith(text, Qt::CaseInsensitive)
            || stocks->fieldValue1(i, QStringLiteral("stkname")).toString().contains(text, Qt::CaseInsensitive)
            || stocks->fieldValue1(i, QStringLiteral("pinyin")).toString().startsWith(text, Qt::CaseInsensitive);
    }
    stocks->unlock(owner);
    return found;
}
