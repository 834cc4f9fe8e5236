// Shows a file path in a label of fixed size so that the path stays
// readable: on as many whole lines as the label has room for (one, unless the
// label wraps), and when it needs more, cut in the middle with "…" so that
// its file name stays in view. The label shows plain text only (a line end
// in a name as a mark), its text can be selected, and the full path is its
// tooltip (plain text too) and accessible name. Copying
// a selection that spans the cut copies the hidden part of the path too.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QLabel;

namespace sorvane {

class PathLabel : public QObject {
public:
    // copy puts a text on the clipboard; the path label belongs to the label.
    PathLabel(QLabel* label, std::function<void(const QString&)> copy);

    void SetPath(const QString& path);
    // The path as it was given, whatever the label shows of it.
    const QString& Path() const { return path; }

    // The mark where the middle of a path is left out.
    static constexpr QChar Cut = QChar(0x2026);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowPath();
    void PlaceCut(const std::function<bool(const QString&)>& fits);
    QString ShownText() const;
    void ShowLines(const QStringList& lines);
    void ShowContextMenu(const QPoint& globalPosition);
    // The part of the path that the label's selection stands for.
    QString SelectedPath() const;

    QLabel* const label;
    const std::function<void(const QString&)> copy;
    QString path;
    // The path as the label shows it: its line ends as marks (OneLine).
    QString shownPath;
    // For each character the label shows: its position in the path, or one
    // of these marks.
    static constexpr int AddedLineBreak = -1;
    static constexpr int CutMark = -2;
    std::vector<int> shownFrom;
    // The part of the path the cut mark stands for.
    qsizetype cutFrom = 0;
    qsizetype cutLength = 0;
};

}  // namespace sorvane
