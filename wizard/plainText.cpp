#include "plainText.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <numeric>
#include <vector>

namespace sorvane {

QString PlainToolTip(const QString& text)
{
    if (text.isEmpty())
        return {};
    // Blanks kept as they are, long lines wrapped: a tooltip wider than the
    // screen would cut the text it is there to show whole.
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    escaped.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    escaped.replace(QLatin1Char('\r'), QLatin1String("<br>"));
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + escaped + QStringLiteral("</p>");
}

QString LiteralCaption(const QString& text)
{
    return QString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString OneLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = LineEndMark;
    }
    return line;
}

void ShowPlainText(QLabel* label, const QString& text)
{
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
}

namespace {

// The names shortened to share width between them: a name narrower than its
// share keeps its width and leaves the rest to the wider ones.
QStringList ShareWidth(const QStringList& names, const QFontMetrics& metrics, int width)
{
    std::vector<qsizetype> byWidth(names.size());
    std::iota(byWidth.begin(), byWidth.end(), 0);
    std::ranges::sort(byWidth, {}, [&](qsizetype i) { return metrics.horizontalAdvance(names[i]); });
    QStringList shortened = names;
    int left = std::max(width, 0);
    for (std::size_t n = 0; n < byWidth.size(); ++n) {
        const int share = left / static_cast<int>(byWidth.size() - n);
        QString& name = shortened[byWidth[n]];
        name = metrics.elidedText(name, Qt::ElideMiddle, share);
        left -= std::min(metrics.horizontalAdvance(name), left);
    }
    return shortened;
}

}  // namespace

QString FitSentence(const QFontMetrics& metrics, int room, const Sentence& sentence, const QStringList& names)
{
    QStringList oneLineNames;
    for (const QString& name : names)
        oneLineNames << OneLine(name);
    const auto fits = [&](const QString& text) { return metrics.horizontalAdvance(text) <= room; };
    QString shown = sentence(oneLineNames);
    if (fits(shown))
        return shown;
    const int fixedPart = metrics.horizontalAdvance(sentence(QStringList(names.size(), QString())));
    // Names elided to a width can come out a pixel or two wider once they
    // stand in the sentence.
    for (int slack = 0; !fits(shown) && slack <= room; slack += 2)
        shown = sentence(ShareWidth(oneLineNames, metrics, room - fixedPart - slack));
    return shown;
}

void ShowSentenceFitted(QLabel* label, const Sentence& sentence, const QStringList& names)
{
    const QString whole = sentence(names);
    label->setToolTip(PlainToolTip(whole));
    label->setAccessibleName(whole);
    ShowPlainText(label, FitSentence(QFontMetrics(label->font()), label->contentsRect().width(), sentence, names));
}

void ShowCaptionFitted(QAbstractButton* button, const Sentence& sentence, const QStringList& names)
{
    const QString whole = sentence(names);
    button->setToolTip(PlainToolTip(whole));
    button->setAccessibleName(whole);
    QStyleOptionButton option;
    option.initFrom(button);
    const int room = button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button).width();
    button->setText(LiteralCaption(FitSentence(QFontMetrics(button->font()), room, sentence, names)));
}

}  // namespace sorvane
