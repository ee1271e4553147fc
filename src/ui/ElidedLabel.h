#pragma once

// ElidedLabel: a one-line label that never cuts a word in half. Text wider
// than the label ends at the last place where a line may break (between
// words; between any two Chinese characters) with "…"; the whole text stays
// the label's text() and, set with setWholeText, its tooltip. Its minimum
// width is small, so a long text never widens its window. UI thread only.

#include <QLabel>

class QFontMetrics;

namespace mc {

class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The text and, when there is one, the same text as the tooltip.
    void setWholeText(const QString& text);
    // `text` as it fits into `width` pixels in `metrics`: whole, or cut at a
    // line-break opportunity and ended with "…" (only "…" when not even the
    // first word fits).
    static QString elided(const QString& text, const QFontMetrics& metrics, int width);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace mc
