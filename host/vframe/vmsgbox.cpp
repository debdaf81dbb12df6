#include "vmsgbox.h"

#include "vfutils.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>

namespace {

const int TextMaxWidth = 420;

// Qt looks for a tag on the first line only; the client's texts may open
// with plain words and colour a later line.
bool isRichText(const QString &text)
{
    const QVector<QStringRef> lines = text.splitRef(QLatin1Char('\n'));
    for (const QStringRef &line : lines) {
        if (Qt::mightBeRichText(line.toString()))
            return true;
    }
    return false;
}

QString defaultTitle(VMsgRequest::Kind kind)
{
    switch (kind) {
    case VMsgRequest::Info: return QStringLiteral("提示");
    case VMsgRequest::Error: return QStringLiteral("错误");
    case VMsgRequest::Confirm: return QStringLiteral("确认");
    }
    return QString();
}

QStyle::StandardPixmap iconOf(VMsgRequest::Kind kind)
{
    switch (kind) {
    case VMsgRequest::Info: return QStyle::SP_MessageBoxInformation;
    case VMsgRequest::Error: return QStyle::SP_MessageBoxCritical;
    case VMsgRequest::Confirm: return QStyle::SP_MessageBoxQuestion;
    }
    return QStyle::SP_MessageBoxInformation;
}

QStringList buttonTexts(const VMsgRequest &request)
{
    QStringList texts;
    if (request.kind == VMsgRequest::Confirm)
        texts = request.buttons;
    if (texts.isEmpty())
        texts << QStringLiteral("确定");
    if (request.kind == VMsgRequest::Confirm && texts.size() < 2)
        texts << QStringLiteral("取消");
    return texts;
}

} // namespace

VMsgBox::VMsgBox(const VMsgRequest &request, QWidget *owner, QWidget *parent)
    : VDialog(parent, vc::CWM_SHADOW_WIDTH, vc::CWM_BORDER_WIDTH)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("VMsgBox"));
    setWindowTitle(request.title.isEmpty() ? defaultTitle(request.kind) : request.title);

    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(iconOf(request.kind)).pixmap(32, 32));
    auto *text = new QLabel(this);
    text->setObjectName(QStringLiteral("textLabel"));
    if (isRichText(request.text)) {
        text->setTextFormat(Qt::RichText);
        text->setText(QString(request.text).replace(QLatin1Char('\n'), QLatin1String("<br>")));
    } else {
        text->setTextFormat(Qt::PlainText);
        text->setText(request.text);
    }
    // Only a text too wide for one line wraps: a wrapping label asks for
    // more lines than a short text needs.
    if (text->sizeHint().width() > TextMaxWidth) {
        text->setWordWrap(true);
        text->setFixedWidth(TextMaxWidth);
    }

    auto *row = new QHBoxLayout;
    row->addStretch();
    const QStringList texts = buttonTexts(request);
    QList<QPushButton *> buttons;
    for (int i = 0; i < texts.size(); ++i) {
        auto *button = new QPushButton(texts.at(i), this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, i == 0 ? &QDialog::accept : &QDialog::reject);
        row->addWidget(button);
        buttons << button;
    }
    QPushButton *chosen = buttons.value(request.kind == VMsgRequest::Confirm ? request.defaultButton : 0,
                                        buttons.constFirst());
    chosen->setDefault(true);
    chosen->setFocus();

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(14, 12, 14, 10);
    grid->setHorizontalSpacing(12);
    grid->addWidget(icon, 0, 0, Qt::AlignTop);
    grid->addWidget(text, 0, 1);
    grid->addLayout(row, 1, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    if (request.kind != VMsgRequest::Confirm && request.autoCloseSeconds > 0)
        QTimer::singleShot(request.autoCloseSeconds * 1000, this, &QWidget::close);
}

QWidget *VMsgBox::placementAnchor() const
{
    return m_owner;
}
