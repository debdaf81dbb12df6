#pragma once

#include "vwidget_global.h"

#include <QIcon>
#include <QWidget>

class QHBoxLayout;
class QToolButton;

// A row of widgets (tabs, tool buttons) that scrolls sideways when it is
// narrower than its contents: two small scroll buttons then appear at its
// right end and move the row by one widget at a time. Widgets added belong to
// the bar's row.
class VWIDGET_EXPORT VControlBar : public QWidget
{
    Q_OBJECT
public:
    explicit VControlBar(QWidget *parent = nullptr);

    void addWidget(QWidget *widget);
    // Takes the widget out of the row and hides it; it stays the bar's child
    // until whoever added it deletes it.
    void removeWidget(QWidget *widget);
    QWidget *at(int index) const;
    int count() const;
    // The layout of the row (margins and spacing of the widgets).
    QHBoxLayout *layout() const;

    void setSpacing(int spacing);
    void setScrollButtonSize(int size);
    // When set the scroll buttons show even while everything fits.
    void setScrollButtonsAlwaysShown(bool shown);
    // Forward scrolls toward the first widget, back toward the last.
    void setForwardIcon(const QIcon &icon);
    void setBackIcon(const QIcon &icon);

    // Index of the first widget in view.
    int firstVisible() const;
    void scrollTo(int index);
    // Scrolls just enough to bring the widget fully into view.
    void ensureVisible(QWidget *widget);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void relayout();
    void contentsChanged();
    int rowWidth() const;
    int offsetOf(int index) const;
    bool overflows() const;

    QWidget *m_viewport;
    QWidget *m_row;
    QHBoxLayout *m_layout;
    QToolButton *m_forward;
    QToolButton *m_back;
    int m_first = 0;
    int m_buttonSize = 16;
    bool m_alwaysShown = false;
};
