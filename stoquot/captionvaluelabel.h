#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QStaticText>

#include <memory>

class QuoteGlyphs;

// A label of a caption and a value in its own colour, such as "最新价:"
// and a price in red. Its text() is the rich text that says so,
// caption<font color='colour'>value</font>, and it shows what that rich
// text shows; but it draws the two parts itself, as plain text: laying out
// and drawing rich text for every new price costs several times more. The
// caption is laid out once, a value measured once, and a number drawn from
// its glyphs' images (QuoteGlyphs), as the quote tables draw theirs.
// Other text (setText) is shown as plain text.
class CaptionValueLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CaptionValueLabel(const QString &text, QWidget *parent = nullptr);
    ~CaptionValueLabel() override;

    void setCaptionValue(const QString &caption, const QString &colour, const QString &value);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Whether the text is still the one setCaptionValue() made.
    bool showsParts() const { return !m_partsText.isNull() && text() == m_partsText; }
    // Lays out the caption and measures the value when they or the font changed.
    void measure() const;
    // The caption and the value side by side.
    QSize partsSize() const;

    QString m_caption;
    QString m_value;
    QColor m_colour;
    QString m_partsText;
    // The parts laid out in m_measuredFont; a part not yet measured has a
    // negative advance.
    mutable QFont m_measuredFont;
    mutable QStaticText m_captionText;
    mutable qreal m_captionAdvance = -1;
    mutable qreal m_valueAdvance = -1;
    mutable bool m_valueAsGlyphs = false; // the value is drawn by m_glyphs
    mutable std::unique_ptr<QuoteGlyphs> m_glyphs;
};
