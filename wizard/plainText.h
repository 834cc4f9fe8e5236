// Texts the user supplied (file names, paths, typed values) shown exactly
// as they are: a label, tooltip or caption would otherwise read "<b>" as
// markup, a line break tag as a line break and "&" as the mark of an Alt key.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QAbstractButton;
class QFontMetrics;
class QLabel;

namespace sorvane {

// A tooltip that shows text as it is, blanks and line breaks included,
// wrapped where it is longer than a tooltip's width; empty stays empty (no
// tooltip).
QString PlainToolTip(const QString& text);

// A button or check box caption that shows text as it is: every "&" doubled.
QString LiteralCaption(const QString& text);

// The mark a line end of a name shows as where the name has one line.
inline constexpr QChar LineEndMark = QChar(0x21B5);

// text with each CR and LF shown as LineEndMark, one character for one.
QString OneLine(const QString& text);

void ShowPlainText(QLabel* label, const QString& text);

// The sentence that names make, put on one line of room pixels: each name
// shortened in its middle ("…") as far as the line needs, longer names
// first, so that the sentence itself stays whole. Line ends show as
// LineEndMark.
using Sentence = std::function<QString(const QStringList& names)>;
QString FitSentence(const QFontMetrics& metrics, int room, const Sentence& sentence, const QStringList& names);

// The fitted sentence as a label's text or a check box's caption; the whole
// sentence is the tooltip and the accessible name.
void ShowSentenceFitted(QLabel* label, const Sentence& sentence, const QStringList& names);
void ShowCaptionFitted(QAbstractButton* button, const Sentence& sentence, const QStringList& names);

}  // namespace sorvane
