#pragma once

#include "vdefs.h"
#include "vwidget_global.h"

#include <QToolButton>

class QAbstractButton;

// A tab of a VControlBar: a checkable tool button that can carry small
// buttons of its own (a close button, a pin). Clicking one emits
// onInternalButtonClicked with the id it was added under. A text too long
// for the tab is cut with "…" and shown whole in the tab's tooltip.
class VWIDGET_EXPORT VTabButton : public QToolButton
{
    Q_OBJECT
public:
    explicit VTabButton(QWidget *parent = nullptr);

    // Adds a small button showing icon (hoverIcon while the pointer is on it)
    // at the given side of the tab, offset inward from that side. With
    // showOnHover it shows only while the pointer is over the tab, with
    // showWhenChecked only while the tab is checked; with both, in either
    // case; with neither, always.
    void addInternalButton(const QString &id, vd::AlignPositon align, const QPoint &offset, const QString &icon,
                           const QString &hoverIcon, bool showOnHover, bool showWhenChecked);
    QAbstractButton *internalButton(const QString &id) const;

signals:
    void onInternalButtonClicked(const QString &id);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void checkStateSet() override;
    void nextCheckState() override;

private:
    struct Internal
    {
        QString id;
        vd::AlignPositon align;
        QPoint offset;
        bool showOnHover;
        bool showWhenChecked;
        QAbstractButton *button; // a child of the tab
    };
    void placeButtons();
    void updateVisibility();
    // The tab minus the strips its side buttons take, so the text never runs under them.
    QRect labelRect() const;
    // The text as it fits the label, cut with "…" when it does not.
    QString shownText() const;

    QVector<Internal> m_buttons;
    bool m_hovered = false;
};
