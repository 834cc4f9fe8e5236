#include "unifiedDiff.h"

#include <algorithm>
#include <climits>
#include <unordered_map>
#include <vector>

namespace sorvane::cli {
namespace {

constexpr int ContextLines = 3;

// A text's lines, each with its LF when it has one.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return lines;
}

// Both texts' lines as numbers, equal lines equal numbers, so that the
// search compares numbers.
struct NumberedLines {
    std::vector<int> a, b;
};

NumberedLines Number(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b)
{
    std::unordered_map<std::string_view, int> ids;
    const auto number = [&](const std::vector<std::string_view>& lines) {
        std::vector<int> numbers;
        numbers.reserve(lines.size());
        for (const std::string_view line : lines)
            numbers.push_back(ids.try_emplace(line, int(ids.size())).first->second);
        return numbers;
    };
    std::vector<int> first = number(a);
    return {std::move(first), number(b)};
}

// Myers' search for the middle of a shortest edit script between a[xoff,
// xlim) and b[yoff, ylim), from both ends at once; then the halves in turn.
// Marks the lines of a that go and of b that come.
class EditScript {
public:
    EditScript(const std::vector<int>& a, const std::vector<int>& b)
        : a_(a), b_(b), removed_(a.size() + 1, false), added_(b.size() + 1, false), forward_(a.size() + b.size() + 3),
          backward_(a.size() + b.size() + 3), offset_(int(b.size()) + 1)
    {
        Compare(0, int(a.size()), 0, int(b.size()));
    }

    const std::vector<bool>& Removed() const { return removed_; }
    const std::vector<bool>& Added() const { return added_; }

private:
    void Compare(int xoff, int xlim, int yoff, int ylim)
    {
        while (xoff < xlim && yoff < ylim && a_[xoff] == b_[yoff])
            ++xoff, ++yoff;
        while (xoff < xlim && yoff < ylim && a_[xlim - 1] == b_[ylim - 1])
            --xlim, --ylim;
        if (xoff == xlim) {
            for (int y = yoff; y < ylim; ++y)
                added_[y] = true;
        } else if (yoff == ylim) {
            for (int x = xoff; x < xlim; ++x)
                removed_[x] = true;
        } else {
            const auto [xmid, ymid] = Middle(xoff, xlim, yoff, ylim);
            Compare(xoff, xmid, yoff, ymid);
            Compare(xmid, xlim, ymid, ylim);
        }
    }

    int& F(int diagonal) { return forward_[diagonal + offset_]; }
    int& B(int diagonal) { return backward_[diagonal + offset_]; }

    std::pair<int, int> Middle(int xoff, int xlim, int yoff, int ylim)
    {
        const int dmin = xoff - ylim, dmax = xlim - yoff;
        const int fmid = xoff - yoff, bmid = xlim - ylim;
        int fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
        const bool odd = ((fmid - bmid) & 1) != 0;
        F(fmid) = xoff;
        B(bmid) = xlim;
        for (;;) {
            if (fmin > dmin)
                F(--fmin - 1) = -1;
            else
                ++fmin;
            if (fmax < dmax)
                F(++fmax + 1) = -1;
            else
                --fmax;
            for (int d = fmax; d >= fmin; d -= 2) {
                const int low = F(d - 1), high = F(d + 1);
                int x = low >= high ? low + 1 : high;
                int y = x - d;
                while (x < xlim && y < ylim && a_[x] == b_[y])
                    ++x, ++y;
                F(d) = x;
                if (odd && bmin <= d && d <= bmax && B(d) <= x)
                    return {x, y};
            }
            if (bmin > dmin)
                B(--bmin - 1) = INT_MAX;
            else
                ++bmin;
            if (bmax < dmax)
                B(++bmax + 1) = INT_MAX;
            else
                --bmax;
            for (int d = bmax; d >= bmin; d -= 2) {
                const int low = B(d - 1), high = B(d + 1);
                int x = low < high ? low : high - 1;
                int y = x - d;
                while (xoff < x && yoff < y && a_[x - 1] == b_[y - 1])
                    --x, --y;
                B(d) = x;
                if (!odd && fmin <= d && d <= fmax && x <= F(d))
                    return {x, y};
            }
        }
    }

    const std::vector<int>& a_;
    const std::vector<int>& b_;
    std::vector<bool> removed_, added_;
    std::vector<int> forward_, backward_;
    int offset_;
};

// "l,s" of a hunk header; an empty range names the line before it.
std::string Range(int start, int count)
{
    if (count == 1)
        return std::to_string(start + 1);
    return std::to_string(count == 0 ? start : start + 1) + ',' + std::to_string(count);
}

void AppendLine(std::string& out, char mark, std::string_view line)
{
    out += mark;
    out += line;
    if (!line.ends_with('\n'))
        out += "\n\\ No newline at end of file\n";
}

// A run of changed lines: a[x, x + removed) become b[y, y + added).
struct Change {
    int x, y, removed, added;
};

std::vector<Change> Changes(const EditScript& script, int aSize, int bSize)
{
    std::vector<Change> changes;
    int x = 0, y = 0;
    while (x < aSize || y < bSize) {
        if (!script.Removed()[x] && !script.Added()[y]) {
            ++x, ++y;
            continue;
        }
        Change change{x, y, 0, 0};
        while (x < aSize && script.Removed()[x])
            ++x, ++change.removed;
        while (y < bSize && script.Added()[y])
            ++y, ++change.added;
        changes.push_back(change);
    }
    return changes;
}

// The escape of a byte in a quoted name, or "" when it stands as it is.
std::string Escape(unsigned char c)
{
    switch (c) {
    case '"': return "\\\"";
    case '\\': return "\\\\";
    case '\a': return "\\a";
    case '\b': return "\\b";
    case '\t': return "\\t";
    case '\n': return "\\n";
    case '\v': return "\\v";
    case '\f': return "\\f";
    case '\r': return "\\r";
    default: break;
    }
    if (c >= 0x20 && c != 0x7F)
        return {};
    const char octal[] = {'\\', char('0' + (c >> 6)), char('0' + ((c >> 3) & 7)), char('0' + (c & 7)), '\0'};
    return octal;
}

}  // namespace

std::string DiffFileName(std::string_view name)
{
    std::string quoted = "\"";
    bool needed = false;
    for (const char c : name) {
        const std::string escape = Escape(static_cast<unsigned char>(c));
        needed = needed || !escape.empty();
        quoted += escape.empty() ? std::string(1, c) : escape;
    }
    return needed ? quoted + '"' : std::string(name);
}

std::string UnifiedDiff(std::string_view oldText, std::string_view newText, std::string_view oldLabel,
                        std::string_view newLabel)
{
    const std::vector<std::string_view> a = SplitLines(oldText), b = SplitLines(newText);
    const NumberedLines numbers = Number(a, b);
    const EditScript script(numbers.a, numbers.b);
    const std::vector<Change> changes = Changes(script, int(a.size()), int(b.size()));
    if (changes.empty())
        return {};

    std::string out = "--- " + std::string(oldLabel) + "\t\n+++ " + std::string(newLabel) + "\t\n";
    for (std::size_t first = 0; first < changes.size();) {
        // A hunk takes the changes whose context lines meet or overlap.
        std::size_t last = first;
        while (last + 1 < changes.size()
               && changes[last + 1].x - (changes[last].x + changes[last].removed) <= 2 * ContextLines)
            ++last;
        const int before = std::min(ContextLines, changes[first].x);
        const int xStart = changes[first].x - before, yStart = changes[first].y - before;
        const int xEnd = std::min(int(a.size()), changes[last].x + changes[last].removed + ContextLines);
        const int yEnd = yStart + (xEnd - xStart) + [&] {
            int growth = 0;
            for (std::size_t i = first; i <= last; ++i)
                growth += changes[i].added - changes[i].removed;
            return growth;
        }();
        out += "@@ -" + Range(xStart, xEnd - xStart) + " +" + Range(yStart, yEnd - yStart) + " @@\n";
        int x = xStart;
        for (std::size_t i = first; i <= last; ++i) {
            const Change& change = changes[i];
            for (; x < change.x; ++x)
                AppendLine(out, ' ', a[x]);
            for (int k = 0; k < change.removed; ++k)
                AppendLine(out, '-', a[x++]);
            for (int k = 0; k < change.added; ++k)
                AppendLine(out, '+', b[change.y + k]);
        }
        for (; x < xEnd; ++x)
            AppendLine(out, ' ', a[x]);
        first = last + 1;
    }
    return out;
}

}  // namespace sorvane::cli
