// The LZ compressor: an exact longest-match search over the 4096-byte window
// (a binary tree per hash bucket), then an optimal parse by dynamic
// programming over the whole input under the format's exact costs.
#include "lz.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "error.h"

namespace setupkit {

namespace {

enum {
    WindowSize = 4096,
    // The ring position of the first byte written: 16 bytes before its end.
    FirstWrite = WindowSize - 16,
    MinMatch = 3,
    MaxMatch = 18,
    // The decoder's window starts as spaces; the input is searched as if
    // these spaces came before it, so matches may reach into them.
    Prefix = WindowSize,
    MaxDistance = WindowSize - 1,
    Padding = 8,
    HashBits = 14,
    // Tree nodes visited per position at most. The tree of a 4096-byte
    // window is shallow; this only bounds pathological inputs.
    SearchLimit = 256,
    LiteralBits = 9,
    MatchBits = 17,
};

uint32_t Hash3(const uint8_t *p)
{
    uint32_t v = p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16;
    return (v * 2654435761u) >> (32 - HashBits);
}

// How far a and b agree from offset from on, at most limit bytes; compares
// eight bytes at a time, so the text carries Padding bytes past its end.
int CommonLength(const uint8_t *a, const uint8_t *b, int from, int limit)
{
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the word compare assumes little endian");
    int length = from;
    while (length < limit) {
        uint64_t x, y;
        memcpy(&x, a + length, 8);
        memcpy(&y, b + length, 8);
        if (x != y) {
            length += __builtin_ctzll(x ^ y) / 8;
            break;
        }
        length += 8;
    }
    return length < limit ? length : limit;
}

// The parse: for every position j of the input, the step that ends there on
// the cheapest way from the start (1 = a literal, else a match's length and
// distance). After TraceBack, the same arrays hold the chosen steps at the
// positions where they start.
struct Parse {
    std::vector<uint8_t> Length;
    std::vector<uint16_t> Distance;
};

// Finds the longest match at every position of text = spaces + input and
// relaxes the costs forward: every prefix of a match is a match at the same
// distance, and a match's cost does not depend on its distance, so the
// longest match at each position is all the parse needs.
Parse FindCheapestSteps(const std::vector<uint8_t> &text, size_t inputSize)
{
    const int32_t none = INT32_MIN / 2;
    std::vector<int32_t> head(size_t(1) << HashBits, none);
    // Binary tree over the strings of the window, two children per ring slot.
    std::vector<int32_t> children(2 * WindowSize, none);
    Parse parse;
    parse.Length.assign(inputSize + 1, 1);
    parse.Distance.assign(inputSize + 1, 0);
    // cost[j % CostRing]: the fewest bits found so far that encode input[0..j).
    enum { CostRing = 32 };
    uint32_t cost[CostRing];
    std::fill(cost, cost + CostRing, UINT32_MAX);
    cost[0] = 0;

    const int32_t end = (int32_t)(text.size() - Padding);
    // Strings of spaces alone are all alike, and the tree keeps only the
    // latest of equal strings: starting with the last one of them gives the
    // same matches as inserting the whole region.
    for (int32_t pos = Prefix - MaxMatch - 1; pos < end; ++pos) {
        int best = 0, bestDistance = 0;
        if (pos + MinMatch <= end) {
            const int32_t limit = end - pos < MaxMatch ? end - pos : MaxMatch;
            const uint8_t *cur = text.data() + pos;
            uint32_t hash = Hash3(cur);
            int32_t candidate = head[hash];
            head[hash] = pos;
            int32_t *smallerSlot = &children[2 * (pos & (WindowSize - 1))];
            int32_t *greaterSlot = smallerSlot + 1;
            int smallerLength = 0, greaterLength = 0;
            for (int budget = SearchLimit;; --budget) {
                int32_t distance = pos - candidate;
                if (distance > MaxDistance || budget == 0) {
                    *smallerSlot = *greaterSlot = none;
                    break;
                }
                int32_t *node = &children[2 * (candidate & (WindowSize - 1))];
                const uint8_t *match = text.data() + candidate;
                int length = smallerLength < greaterLength ? smallerLength : greaterLength;
                length = CommonLength(match, cur, length, limit);
                if (length > best) {
                    best = length;
                    bestDistance = distance;
                }
                if (length == limit) {
                    // The candidate equals this string as far as it is
                    // compared: this position takes its place in the tree.
                    *smallerSlot = node[0];
                    *greaterSlot = node[1];
                    break;
                }
                if (match[length] < cur[length]) {
                    *smallerSlot = candidate;
                    smallerSlot = node + 1;
                    candidate = *smallerSlot;
                    smallerLength = length;
                } else {
                    *greaterSlot = candidate;
                    greaterSlot = node;
                    candidate = *greaterSlot;
                    greaterLength = length;
                }
            }
        }
        if (pos < Prefix) continue;
        const size_t i = (size_t)(pos - Prefix);
        const uint32_t here = cost[i % CostRing];
        cost[i % CostRing] = UINT32_MAX;
        uint32_t &next = cost[(i + 1) % CostRing];
        if (here + LiteralBits < next) {
            next = here + LiteralBits;
            parse.Length[i + 1] = 1;
        }
        for (int length = MinMatch; length <= best; ++length) {
            uint32_t &target = cost[(i + length) % CostRing];
            if (here + MatchBits <= target) {
                target = here + MatchBits;
                parse.Length[i + length] = (uint8_t)length;
                parse.Distance[i + length] = (uint16_t)bestDistance;
            }
        }
    }
    return parse;
}

// Turns the steps indexed by where they end into steps indexed by where they
// start, along the cheapest path from the end back to the start.
void TraceBack(Parse &parse, size_t inputSize)
{
    size_t j = inputSize;
    uint8_t length = parse.Length[j];
    uint16_t distance = parse.Distance[j];
    while (j > 0) {
        size_t start = j - length;
        uint8_t nextLength = parse.Length[start];
        uint16_t nextDistance = parse.Distance[start];
        parse.Length[start] = length;
        parse.Distance[start] = distance;
        j = start;
        length = nextLength;
        distance = nextDistance;
    }
}

// Writes items eight to a flag byte; a set bit is a literal.
class ItemWriter {
public:
    explicit ItemWriter(Bytes &out) : Out(out) {}
    void Literal(uint8_t byte)
    {
        Flag(true);
        Out.push_back(byte);
    }
    void Match(uint32_t ringOffset, int length)
    {
        Flag(false);
        Out.push_back((uint8_t)ringOffset);
        Out.push_back((uint8_t)((ringOffset >> 4 & 0xF0) | (length - MinMatch)));
    }

private:
    void Flag(bool literal)
    {
        if (Count % 8 == 0) {
            FlagAt = Out.size();
            Out.push_back(0);
        }
        if (literal) Out[FlagAt] |= (uint8_t)(1u << (Count % 8));
        ++Count;
    }
    Bytes &Out;
    size_t FlagAt = 0;
    size_t Count = 0;
};

}  // namespace

Bytes CompressLz(const Bytes &data, char replacedChar)
{
    if (data.size() > 0xFFFFFFFFu) throw Error("input over 4 GB: the format's length field cannot hold it");
    const size_t n = data.size();
    std::vector<uint8_t> text(Prefix + n + Padding, ' ');
    std::copy(data.begin(), data.end(), text.begin() + Prefix);
    Parse parse = FindCheapestSteps(text, n);
    TraceBack(parse, n);

    Bytes out(LzHeaderSize);
    WriteLzHeader(out.data(), replacedChar, (unsigned long)n);
    out.reserve(LzHeaderSize + n / 8 * 9 + 9);
    ItemWriter writer(out);
    for (size_t i = 0; i < n; i += parse.Length[i]) {
        if (parse.Length[i] == 1) {
            writer.Literal(data[i]);
        } else {
            // The ring slot of the source: input byte k went to FirstWrite + k.
            size_t source = i + FirstWrite - parse.Distance[i];
            writer.Match((uint32_t)(source & (WindowSize - 1)), parse.Length[i]);
        }
    }
    return out;
}

}  // namespace setupkit
