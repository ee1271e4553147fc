#include "ui/ElidedLabel.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QTextBoundaryFinder>

namespace mc {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void ElidedLabel::setWholeText(const QString& text) {
    setText(text);
    setToolTip(text);
}

QString ElidedLabel::elided(const QString& text, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(text) <= width) return text;
    const QString ellipsis = QStringLiteral("…");
    QString best;
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    for (qsizetype at = breaks.toNextBoundary(); at > 0; at = breaks.toNextBoundary()) {
        const QString head = text.left(at).trimmed() + ellipsis;
        if (metrics.horizontalAdvance(head) > width) break;
        best = head;
    }
    return best.isEmpty() ? ellipsis : best;
}

QSize ElidedLabel::minimumSizeHint() const {
    const QSize whole = QLabel::minimumSizeHint();
    return {std::min(whole.width(), fontMetrics().horizontalAdvance(QStringLiteral("M…")) +
                                        contentsMargins().left() + contentsMargins().right()),
            whole.height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(),
                          elided(text(), fontMetrics(), area.width()), foregroundRole());
}

}  // namespace mc
