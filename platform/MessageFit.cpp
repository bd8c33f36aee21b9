#include "platform/MessageFit.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

MessageFit::MessageFit(const QFontMetrics& metrics, int width, int lines)
    : m_metrics(metrics), m_width(std::max(width, 40)), m_lines(std::max(lines, 2))
{
}

QString MessageFit::shortenedWords(const QString& line)
{
    QStringList words = line.split(u' ');
    for (QString& word : words) {
        if (m_metrics.horizontalAdvance(word) <= m_width)
            continue;
        word = m_metrics.elidedText(word, Qt::ElideMiddle, m_width);
        m_cut = true;
    }
    return words.join(u' ');
}

int MessageFit::linesOf(const QString& line) const
{
    const QRect room(0, 0, m_width, 1 << 20);
    return std::max(1,
                    m_metrics.boundingRect(room, Qt::TextWordWrap, line).height() / m_metrics.lineSpacing());
}

QString MessageFit::fit(const QString& text)
{
    m_cut = false;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    const QStringList lines = text.split(lineBreak);
    const QString more = QStringLiteral("\u2026");
    QStringList shown;
    int used = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = shortenedWords(lines[i]);
        // Room for this line, and for a last line that says more follows.
        const int room = m_lines - used - (i + 1 < lines.size() ? 1 : 0);
        if (linesOf(line) <= room) {
            shown << line;
            used += linesOf(line);
            continue;
        }
        // As much of this line as fits with the ellipsis after it.
        qsizetype keep = 0;
        for (qsizetype step = line.size(); step > 0; step /= 2)
            while (keep + step <= line.size() && linesOf(line.left(keep + step) + more) <= m_lines - used)
                keep += step;
        shown << line.left(keep) + more;
        m_cut = true;
        break;
    }
    return shown.join(u'\n');
}
