#include "pathLabel.h"

#include "plainText.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTextLayout>

namespace sorvane {

namespace {

// The lines a text takes at a width: broken after a separator or a blank
// where it can be, anywhere where it must.
QStringList LinesOf(const QString& text, const QFont& font, int width)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

// The largest count from low to high for which fits holds; fits(low) holds.
qsizetype LargestFitting(qsizetype low, qsizetype high, const std::function<bool(qsizetype)>& fits)
{
    while (low < high) {
        const qsizetype middle = low + (high - low + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

// Where the file name starts: after the last separator, or at 0.
qsizetype FileNameStart(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QDir::separator())) + 1;
}

}  // namespace

PathLabel::PathLabel(QLabel* shownIn, std::function<void(const QString&)> copyText)
    : QObject(shownIn), label(shownIn), copy(std::move(copyText))
{
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->installEventFilter(this);
}

void PathLabel::SetPath(const QString& newPath)
{
    path = newPath;
    shownPath = OneLine(path);
    label->setToolTip(PlainToolTip(path));
    label->setAccessibleName(path);
    ShowPath();
}

void PathLabel::ShowPath()
{
    const QFont font = label->font();
    const int width = std::max(1, label->contentsRect().width());
    const int lineHeight = QFontMetrics(font).lineSpacing();
    const int room = label->wordWrap() ? std::max(1, label->contentsRect().height() / lineHeight) : 1;
    PlaceCut([&](const QString& text) { return LinesOf(text, font, width).size() <= room; });
    ShowLines(LinesOf(ShownText(), font, width));
}

// The path whole when it fits; else as much of its start as fits before the
// cut and its file name after it; a file name too long for that is cut in
// its own middle.
void PathLabel::PlaceCut(const std::function<bool(const QString&)>& fits)
{
    cutFrom = cutLength = 0;
    if (fits(shownPath))
        return;
    const auto cutBetween = [&](qsizetype headEnd, qsizetype tailStart) {
        return shownPath.left(headEnd) + Cut + shownPath.mid(tailStart);
    };
    const qsizetype separator = std::max<qsizetype>(FileNameStart(path) - 1, 0);
    qsizetype cutEnd = 0;
    if (separator > 0 && fits(cutBetween(0, separator))) {
        cutFrom = LargestFitting(0, separator - 1, [&](qsizetype n) { return fits(cutBetween(n, separator)); });
        cutEnd = separator;
    } else {
        const qsizetype kept = LargestFitting(
            0, path.size() - 1, [&](qsizetype n) { return fits(cutBetween(n - n / 2, path.size() - n / 2)); });
        cutFrom = kept - kept / 2;
        cutEnd = path.size() - kept / 2;
    }
    // Never half a character on either side of the cut.
    if (cutFrom > 0 && path[cutFrom - 1].isHighSurrogate())
        --cutFrom;
    if (cutEnd < path.size() && path[cutEnd].isLowSurrogate())
        ++cutEnd;
    cutLength = cutEnd - cutFrom;
}

QString PathLabel::ShownText() const
{
    if (cutLength == 0)
        return shownPath;
    return shownPath.left(cutFrom) + Cut + shownPath.mid(cutFrom + cutLength);
}

// The lines joined by line breaks of their own, each character remembered
// with the place in the path it shows.
void PathLabel::ShowLines(const QStringList& lines)
{
    QString shown;
    shownFrom.clear();
    qsizetype at = 0;  // position in the text with the cut mark
    for (const QString& line : lines) {
        if (!shown.isEmpty()) {
            shown += QLatin1Char('\n');
            shownFrom.push_back(AddedLineBreak);
        }
        for (const QChar c : line) {
            shown += c;
            if (cutLength == 0 || at < cutFrom)
                shownFrom.push_back(static_cast<int>(at));
            else if (at == cutFrom)
                shownFrom.push_back(CutMark);
            else
                shownFrom.push_back(static_cast<int>(at - 1 + cutLength));
            ++at;
        }
    }
    label->setText(shown);
}

QString PathLabel::SelectedPath() const
{
    if (!label->hasSelectedText())
        return {};
    const qsizetype start = label->selectionStart();
    const qsizetype end = std::min<qsizetype>(start + label->selectedText().size(), shownFrom.size());
    QString selected;
    for (qsizetype i = start; i < end; ++i) {
        if (shownFrom[i] == CutMark)
            selected += path.mid(cutFrom, cutLength);
        else if (shownFrom[i] != AddedLineBreak)
            selected += path[shownFrom[i]];
    }
    return selected;
}

bool PathLabel::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::FontChange: ShowPath(); return false;
    case QEvent::KeyPress:
        if (!static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy))
            return false;
        if (label->hasSelectedText())
            copy(SelectedPath());
        return true;
    case QEvent::ContextMenu: ShowContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos()); return true;
    default: return false;
    }
}

// The label's own menu would copy the cut mark instead of the path.
void PathLabel::ShowContextMenu(const QPoint& globalPosition)
{
    QMenu menu(label);
    QAction* copyAction = menu.addAction(QStringLiteral("&Copy"), this, [this] { copy(SelectedPath()); });
    copyAction->setEnabled(label->hasSelectedText());
    menu.addAction(QStringLiteral("Select All"), this,
                   [this] { label->setSelection(0, static_cast<int>(label->text().size())); });
    menu.exec(globalPosition);
}

}  // namespace sorvane
