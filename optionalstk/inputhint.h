#pragma once

#include <QWidget>

class QLabel;

// The line under a dialog's field that says what is wrong with the input:
// a warning sign and a text. It takes no room while it has no text, and
// the dialog grows by its height while it shows.
class InputHint : public QWidget
{
    Q_OBJECT
public:
    explicit InputHint(QWidget *parent = nullptr);

    QString text() const;
    // An empty text hides the line.
    void setText(const QString &text);

private:
    QLabel *m_text; // a child
};
