// The difference engine. The lines the two texts share at their start and end are set aside;
// every other line becomes the number of its class of equal lines; lines that cannot match
// (their class is absent from the other text) or would only confuse the search (their class is
// very common there) are set aside as changed; the rest is compared with Myers' O(ND) search
// for the middle snake, which gives up on a perfect answer once it is expensive and a long
// snake has been seen. The changed runs are then slid toward the end where that keeps the
// same texts, and gathered into changes.
#include "cms/Diff.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <unordered_map>

#include "base/Boxes.h"
#include "base/Messages.h"

namespace {

enum {
    kClassTableError = 3996,
    kExpensive = 200,     // an edit cost from which a good-enough split is taken
    kSnakeLimit = 20,     // a snake this long makes such a split worth looking for
};

// The sizes of the class table; a text with more different lines than the largest cannot be
// compared.
const long kPrimes[] = {509,     1021,    2039,     4093,     8191,     16381,    32749,    65521,    131071,
                        262139,  524287,  1048573,  2097143,  4194301,  8388593,  16777213, 33554393, 67108859};


// The two texts' middle parts as class numbers, and what the comparison finds.
struct Comparison {
    std::vector<int> classes[2];     // of every line (0 for the common head and tail)
    std::vector<char> changed[2];
    // The lines left for the search (not discarded), as indexes into the whole text.
    std::vector<long> kept[2];
    std::vector<int> keptClasses[2];
    std::vector<long> forward, backward;   // the diagonal vectors, by diagonal + offset
    long offset = 0;
};

// Marks the lines of file `f` (range [begin, end)) that cannot match or would confuse the search.
void Discard(Comparison *c, int f, long begin, long end, const std::unordered_map<int, long> &otherCounts) {
    long count = end - begin;
    long many = 5;
    for (long t = count / 64; (t /= 4) > 0;)
        many *= 2;
    std::vector<char> mark(static_cast<size_t>(count), 0);   // 1 discard, 2 provisional
    for (long i = 0; i < count; i++) {
        auto found = otherCounts.find(c->classes[f][begin + i]);
        long n = found == otherCounts.end() ? 0 : found->second;
        mark[i] = n == 0 ? 1 : n > many ? 2 : 0;
    }
    for (long i = 0; i < count;) {
        if (!mark[i]) {
            i++;
            continue;
        }
        long j = i;
        while (j < count && mark[j])
            j++;
        long runEnd = j;
        while (j > i && mark[j - 1] == 2)
            mark[--j] = 0;
        long length = j - i, provisional = 0;
        for (long k = i; k < j; k++)
            provisional += mark[k] == 2;
        if (provisional * 4 > length) {
            for (long k = i; k < j; k++)
                if (mark[k] == 2)
                    mark[k] = 0;
        } else if (provisional > 0) {
            long minimum = 1;
            for (long t = length / 4; (t /= 4) > 0;)
                minimum *= 2;
            minimum++;
            for (long k = i; k < j;) {
                if (mark[k] != 2) {
                    k++;
                    continue;
                }
                long s = k;
                while (k < j && mark[k] == 2)
                    k++;
                if (k - s >= minimum)
                    for (long q = s; q < k; q++)
                        mark[q] = 0;
            }
            for (long k = i, consecutive = 0; k < j; k++) {
                if (mark[k] == 1) {
                    if (++consecutive == 3 || k - i >= 8)
                        break;
                } else {
                    consecutive = 0;
                    mark[k] = 0;
                }
            }
            for (long k = j - 1, consecutive = 0; k >= i; k--) {
                if (mark[k] == 1) {
                    if (++consecutive == 3 || j - 1 - k >= 8)
                        break;
                } else {
                    consecutive = 0;
                    mark[k] = 0;
                }
            }
        }
        i = runEnd;
    }
    for (long i = 0; i < count; i++) {
        if (mark[i]) {
            c->changed[f][begin + i] = 1;
            continue;
        }
        c->kept[f].push_back(begin + i);
        c->keptClasses[f].push_back(c->classes[f][begin + i]);
    }
}

struct Split {
    long x, y;
};

// The middle snake of [xoff, xlim) x [yoff, ylim) of the kept lines, or a good-enough split
// once the cost is high.
Split MiddleSnake(Comparison *c, long xoff, long xlim, long yoff, long ylim) {
    const std::vector<int> &xv = c->keptClasses[0], &yv = c->keptClasses[1];
    long *fd = c->forward.data() + c->offset, *bd = c->backward.data() + c->offset;
    long dmin = xoff - ylim, dmax = xlim - yoff;
    long fmid = xoff - yoff, bmid = xlim - ylim;
    long fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
    bool odd = ((fmid - bmid) & 1) != 0;
    fd[fmid] = xoff;
    bd[bmid] = xlim;
    bool bigSnake = false;
    for (long cost = 1;; cost++) {
        // One step further forward.
        if (fmin > dmin)
            fd[--fmin - 1] = -1;
        else
            ++fmin;
        if (fmax < dmax)
            fd[++fmax + 1] = -1;
        else
            --fmax;
        for (long d = fmax; d >= fmin; d -= 2) {
            long low = fd[d - 1], high = fd[d + 1];
            long x = low >= high ? low + 1 : high;
            long start = x, y = x - d;
            while (x < xlim && y < ylim && xv[x] == yv[y])
                x++, y++;
            if (x - start > kSnakeLimit)
                bigSnake = true;
            fd[d] = x;
            if (odd && bmin <= d && d <= bmax && bd[d] <= fd[d])
                return Split{x, y};
        }
        // And one backward.
        if (bmin > dmin)
            bd[--bmin - 1] = xlim + 1;
        else
            ++bmin;
        if (bmax < dmax)
            bd[++bmax + 1] = xlim + 1;
        else
            --bmax;
        for (long d = bmax; d >= bmin; d -= 2) {
            long low = bd[d - 1], high = bd[d + 1];
            long x = low < high ? low : high - 1;
            long start = x, y = x - d;
            while (x > xoff && y > yoff && xv[x - 1] == yv[y - 1])
                x--, y--;
            if (start - x > kSnakeLimit)
                bigSnake = true;
            bd[d] = x;
            if (!odd && fmin <= d && d <= fmax && bd[d] <= fd[d])
                return Split{x, y};
        }
        if (cost <= kExpensive || !bigSnake)
            continue;
        // Expensive: the furthest point on a forward diagonal that ends a long snake, or the
        // mirror image backward.
        long best = 0;
        Split split = {-1, -1};
        for (long d = fmax; d >= fmin; d -= 2) {
            long dd = d - fmid, x = fd[d], y = x - d;
            long progress = (x - xoff) + (y - yoff);
            if (progress > 12 * (cost + (dd < 0 ? -dd : dd)) && progress > best && xoff + kSnakeLimit <= x &&
                x < xlim && yoff + kSnakeLimit <= y && y < ylim) {
                bool equal = true;
                for (long k = 1; k <= kSnakeLimit && equal; k++)
                    equal = xv[x - k] == yv[y - k];
                if (equal) {
                    best = progress;
                    split = Split{x, y};
                }
            }
        }
        if (best > 0)
            return split;
        best = 0;
        for (long d = bmax; d >= bmin; d -= 2) {
            long dd = d - bmid, x = bd[d], y = x - d;
            long progress = (xlim - x) + (ylim - y);
            if (progress > 12 * (cost + (dd < 0 ? -dd : dd)) && progress > best && xoff < x &&
                x <= xlim - kSnakeLimit && yoff < y && y <= ylim - kSnakeLimit) {
                bool equal = true;
                for (long k = 0; k < kSnakeLimit && equal; k++)
                    equal = xv[x + k] == yv[y + k];
                if (equal) {
                    best = progress;
                    split = Split{x, y};
                }
            }
        }
        if (best > 0)
            return split;
    }
}

// Compares the kept lines [xoff, xlim) with [yoff, ylim), marking the changed ones.
void CompareRange(Comparison *c, long xoff, long xlim, long yoff, long ylim) {
    const std::vector<int> &xv = c->keptClasses[0], &yv = c->keptClasses[1];
    for (;;) {
        while (xoff < xlim && yoff < ylim && xv[xoff] == yv[yoff])
            xoff++, yoff++;
        while (xlim > xoff && ylim > yoff && xv[xlim - 1] == yv[ylim - 1])
            xlim--, ylim--;
        if (xoff == xlim) {
            for (long y = yoff; y < ylim; y++)
                c->changed[1][c->kept[1][y]] = 1;
            return;
        }
        if (yoff == ylim) {
            for (long x = xoff; x < xlim; x++)
                c->changed[0][c->kept[0][x]] = 1;
            return;
        }
        Split split = MiddleSnake(c, xoff, xlim, yoff, ylim);
        // The smaller half recursively, the larger one in this loop: the depth stays small.
        if ((split.x - xoff) + (split.y - yoff) < (xlim - split.x) + (ylim - split.y)) {
            CompareRange(c, xoff, split.x, yoff, split.y);
            xoff = split.x;
            yoff = split.y;
        } else {
            CompareRange(c, split.x, xlim, split.y, ylim);
            xlim = split.x;
            ylim = split.y;
        }
    }
}

// Slides each changed run of file f toward the end while the line after it is in the class of
// its first line and the line that matches it in the other file is no change there.
void ShiftBoundaries(Comparison *c, int f) {
    std::vector<char> &changed = c->changed[f];
    const std::vector<char> &other = c->changed[1 - f];
    const std::vector<int> &classes = c->classes[f];
    long n = static_cast<long>(changed.size()), m = static_cast<long>(other.size());
    long i = 0, j = 0;   // i in this file, j in the other; unchanged lines correspond in order
    while (i < n) {
        if (!changed[i]) {
            while (j < m && other[j])
                j++;
            i++;
            j++;
            continue;
        }
        long start = i;
        while (i < n && changed[i])
            i++;
        // The other file's change beside the run comes with it; j is then the line that
        // matches the one after the run.
        while (j < m && other[j])
            j++;
        while (i < n && !changed[i] && classes[i] == classes[start] && j < m && !other[j]) {
            changed[start++] = 0;
            changed[i++] = 1;
            j++;
        }
    }
}

} // namespace

int DiffLines(const std::vector<std::string> &first, const std::vector<std::string> &second, unsigned options,
              std::vector<DiffChange> *changes) {
    changes->clear();
    long na = static_cast<long>(first.size()), nb = static_cast<long>(second.size());
    long head = 0;
    while (head < na && head < nb && first[head] == second[head])
        head++;
    if (na == nb && head == na)
        return kDiffIdentical;
    long tail = 0;
    while (na - tail > head && nb - tail > head && first[na - 1 - tail] == second[nb - 1 - tail])
        tail++;

    Comparison c;
    c.classes[0].assign(static_cast<size_t>(na), 0);
    c.classes[1].assign(static_cast<size_t>(nb), 0);
    c.changed[0].assign(static_cast<size_t>(na), 0);
    c.changed[1].assign(static_cast<size_t>(nb), 0);
    long middle = (na - head - tail) + (nb - head - tail);
    long tableSize = 0;
    for (long prime : kPrimes)
        if (prime >= (middle + 4) / 3) {
            tableSize = prime;
            break;
        }
    std::unordered_map<std::string, int> classOf;
    classOf.reserve(static_cast<size_t>(middle));
    std::unordered_map<int, long> counts[2];
    for (int f = 0; f < 2; f++) {
        const std::vector<std::string> &lines = f == 0 ? first : second;
        long end = static_cast<long>(lines.size()) - tail;
        for (long i = head; i < end; i++) {
            auto found = classOf.emplace(DiffLineKey(lines[i], options), static_cast<int>(classOf.size()) + 1);
            if (found.second && static_cast<long>(classOf.size()) > (tableSize ? tableSize : 0)) {
                ErrorBox(FormatScratch("InternalError %d", kClassTableError));
                return kDiffFailed;
            }
            c.classes[f][i] = found.first->second;
            counts[f][found.first->second]++;
        }
    }
    Discard(&c, 0, head, na - tail, counts[1]);
    Discard(&c, 1, head, nb - tail, counts[0]);
    long nx = static_cast<long>(c.kept[0].size()), ny = static_cast<long>(c.kept[1].size());
    c.offset = ny + 1;
    c.forward.assign(static_cast<size_t>(nx + ny + 3), 0);
    c.backward.assign(static_cast<size_t>(nx + ny + 3), 0);
    CompareRange(&c, 0, nx, 0, ny);
    ShiftBoundaries(&c, 0);
    ShiftBoundaries(&c, 1);

    long i = 0, j = 0;
    while (i < na || j < nb) {
        if ((i < na && c.changed[0][i]) || (j < nb && c.changed[1][j])) {
            DiffChange change;
            long di = i, dj = j;
            while (i < na && c.changed[0][i])
                i++;
            while (j < nb && c.changed[1][j])
                j++;
            change.deleted = i - di;
            change.inserted = j - dj;
            change.firstDeleted = change.deleted ? di + 1 : 0;
            change.firstInserted = change.inserted ? dj + 1 : 0;
            change.insertAfter = i;
            char command[64];
            if (options & kDiffKeepCommands) {
                if (change.deleted) {
                    snprintf(command, sizeof command, "d%ld %ld\n", change.firstDeleted, change.deleted);
                    change.deleteCommand = command;
                }
                if (change.inserted) {
                    snprintf(command, sizeof command, "a%ld %ld\n", i, change.inserted);
                    change.insertCommand = command;
                }
            }
            if (options & kDiffKeepText)
                for (long k = dj; k < j; k++)
                    change.insertedText += second[k] + "\n";
            changes->push_back(change);
        } else {
            i++;
            j++;
        }
    }
    return changes->empty() ? kDiffIdentical : kDiffDifferent;
}

std::string EditScript(const std::vector<DiffChange> &changes, const std::vector<std::string> &second) {
    std::string script;
    char command[64];
    for (const DiffChange &change : changes) {
        if (change.deleted) {
            snprintf(command, sizeof command, "d%ld %ld\n", change.firstDeleted, change.deleted);
            script += command;
        }
        if (change.inserted) {
            snprintf(command, sizeof command, "a%ld %ld\n", change.insertAfter, change.inserted);
            script += command;
            for (long k = 0; k < change.inserted; k++)
                script += second[change.firstInserted - 1 + k] + "\n";
        }
    }
    return script;
}

bool ApplyEditScript(const std::string &script, std::vector<std::string> *lines, std::string *error) {
    std::vector<std::string> out;
    long used = 0;   // lines of the original taken so far
    long n = static_cast<long>(lines->size());
    size_t at = 0;
    char message[160];
    while (at < script.size()) {
        size_t end = script.find('\n', at);
        if (end == std::string::npos)
            end = script.size();
        std::string command = script.substr(at, end - at);
        at = end + 1;
        char kind = command.empty() ? 0 : command[0];
        long line = 0, count = 0;
        char extra = 0;
        if ((kind != 'd' && kind != 'a') || sscanf(command.c_str() + 1, "%ld %ld%c", &line, &count, &extra) != 2 ||
            count < 0 || line < 0) {
            snprintf(message, sizeof message, "Bad command in the edit script: %.60s", command.c_str());
            *error = message;
            return false;
        }
        long upTo = kind == 'd' ? line - 1 : line;   // the original lines before the command
        if (upTo < used || upTo > n || (kind == 'd' && (line < 1 || upTo + count > n))) {
            snprintf(message, sizeof message, "The edit script does not fit the file: %.60s", command.c_str());
            *error = message;
            return false;
        }
        out.insert(out.end(), lines->begin() + used, lines->begin() + upTo);
        used = upTo;
        if (kind == 'd') {
            used += count;
            continue;
        }
        for (long k = 0; k < count; k++) {
            if (at > script.size() || (at == script.size() && k < count)) {
                *error = "The edit script ends before its lines";
                return false;
            }
            size_t stop = script.find('\n', at);
            if (stop == std::string::npos)
                stop = script.size();
            out.push_back(script.substr(at, stop - at));
            at = stop + 1;
        }
    }
    out.insert(out.end(), lines->begin() + used, lines->end());
    lines->swap(out);
    return true;
}

unsigned long DiffChecksum(const std::string &bytes) {
    unsigned long h = 0x90909090UL, s = 0xEAEAEAEAUL;
    for (unsigned char c : bytes) {
        unsigned long b = (h & 0x8000000UL) ? 1 : 0;
        h = ((h << 1) ^ (c + b)) & 0xFFFFFFFFUL;
        s = (s + (static_cast<unsigned long>(c) << (c & 3))) & 0xFFFFFFFFUL;
    }
    return ((h & 0xFFFF) << 12) ^ (s != 0 ? 1 : 0);
}

std::string DiffLineKey(const std::string &line, unsigned options) {
    std::string text;
    if (options & kDiffIgnoreSpace) {
        bool blank = false;
        for (char c : line) {
            if (c == ' ' || c == '\t') {
                blank = true;
                continue;
            }
            if (blank)
                text += ' ';
            blank = false;
            text += c;
        }
    } else {
        text = line;
    }
    if (options & kDiffIgnoreCase)
        for (char &c : text)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
    return text;
}
