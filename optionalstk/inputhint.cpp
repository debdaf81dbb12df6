#include "inputhint.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

InputHint::InputHint(QWidget *parent)
    : QWidget(parent)
    , m_text(new QLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *sign = new QLabel(this);
    sign->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    layout->addWidget(sign);
    m_text->setObjectName(QStringLiteral("hintLabel"));
    m_text->setTextFormat(Qt::PlainText);
    layout->addWidget(m_text, 1);
    hide();
}

QString InputHint::text() const
{
    return m_text->text();
}

void InputHint::setText(const QString &text)
{
    m_text->setText(text);
    if (isHidden() == text.isEmpty())
        return;
    QWidget *dialog = window();
    // Taken before the line shows or goes: the dialog may grow to its new
    // minimum at once. It keeps its width and gives the line its room, or
    // takes it back.
    const int room = sizeHint().height() + (dialog->layout() ? dialog->layout()->spacing() : 0);
    const int height = dialog->height() + (text.isEmpty() ? -room : room);
    setVisible(!text.isEmpty());
    if (dialog->layout())
        dialog->layout()->activate();
    dialog->resize(dialog->width(), height);
}
