#pragma once

#include <QFontMetrics>
#include <QString>

// A message box's text cut down to what fits on the screen: every run of characters
// without a space no wider than a line of the box (shortened in the middle, so a path
// keeps its start and its file name), and no more lines than the screen has room for.
// The whole text then goes under the box's details.
class MessageFit {
public:
    // width: the widest a line may be, in pixels; lines: how many lines at most.
    MessageFit(const QFontMetrics& metrics, int width, int lines);

    // The text as the box shows it; cut() tells whether anything was left out.
    QString fit(const QString& text);
    bool cut() const { return m_cut; }

private:
    QString shortenedWords(const QString& line);
    int linesOf(const QString& line) const;

    QFontMetrics m_metrics;
    int m_width;
    int m_lines;
    bool m_cut = false;
};
