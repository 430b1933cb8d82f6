#pragma once
// A plain colour converter for the tests, one output pixel at a time from the definitions: the
// sample positions and weights of each method, worked out per pixel with no shortcut. It shares
// no code with the library.
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace testing_colour {

struct Tables {
    std::vector<uint8_t> red, green, blue, bw;                // 65536 entries each
    std::vector<uint8_t> pseudoRed, pseudoGreen, pseudoBlue;  // 256 entries each
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint16_t> pixels;
    uint32_t at(int r, int c) const { return pixels[static_cast<size_t>(r) * width + c]; }
};

// The colour of a mosaic site: 0 red (even row, even column), 1 green, 2 blue (odd, odd).
inline int SiteColour(int r, int c) {
    return (r % 2) + (c % 2);
}

// The index of the same parity as `i` nearest to it inside [0, n); a one-wide picture has only 0.
// Only the indices at the two ends can be nearest to one outside.
inline int NearestOfParity(int i, int n) {
    if (i >= 0 && i < n) return i;
    int best = -1;
    for (int k : {0, 1, n - 2, n - 1})
        if (k >= 0 && k < n && (k - i) % 2 == 0 &&
            (best < 0 || std::abs(k - i) < std::abs(best - i)))
            best = k;
    return best < 0 ? 0 : best;
}

// Two lattice lines of spacing 2 and parity `parity` around the half-integer 2p/2 (p given as
// twice the coordinate), with weights in quarters: nearer 3, farther 1.
struct Bracket {
    int line[2];
    int weight[2];
};
inline Bracket Around(int twiceP, int parity) {
    int below = (twiceP - 1) / 2;  // the integer just below p (p is never an integer here)
    if (twiceP < 0) below = -((-twiceP + 1) / 2);
    if (((below % 2) + 2) % 2 != parity) --below;
    const int above = below + 2;
    // distances in halves: p - below and above - p
    const int dBelow = twiceP - 2 * below, dAbove = 2 * above - twiceP;
    return {{below, above}, {dAbove, dBelow}};  // weight of a line: distance to the other / 4
}

// Method 0, red or blue (parity 0 or 1): bilinear on that colour's lattice at (y + 1/2, x - 1/2).
inline uint32_t ShiftedCorner(const Picture& p, int y, int x, int parity) {
    const Bracket rows = Around(2 * y + 1, parity), cols = Around(2 * x - 1, parity);
    uint32_t sum = 0;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            sum += static_cast<uint32_t>(rows.weight[i] * cols.weight[j]) *
                   p.at(NearestOfParity(rows.line[i], p.height),
                        NearestOfParity(cols.line[j], p.width));
    return sum / 16;
}

// Method 0, green: the two greens of the cell rows y, y + 1, columns x - 1, x; in the first
// column the greens of column 0 above and below the point, weighted by distance.
inline uint32_t ShiftedGreen(const Picture& p, int y, int x) {
    if (x == 0) {
        const Bracket rows = Around(2 * y + 1, 1);
        uint32_t sum = 0;
        for (int i = 0; i < 2; ++i)
            sum += static_cast<uint32_t>(4 * rows.weight[i]) *
                   p.at(NearestOfParity(rows.line[i], p.height), 0);
        return sum / 16;
    }
    uint32_t sum = 0;
    for (int r = y; r <= y + 1; ++r)
        for (int c = x - 1; c <= x; ++c)
            if (SiteColour(r, c) == 1) sum += p.at(NearestOfParity(r, p.height), c);
    return sum / 2;
}

// Method 2: the mean of the nearest samples of `colour` as listed per site.
inline uint32_t NearestMean(const Picture& p, int y, int x, int colour) {
    const int own = SiteColour(y, x);
    if (own == colour) return p.at(y, x);
    static const int kCross[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    static const int kDiagonal[4][2] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
    static const int kRowPair[2][2] = {{0, -1}, {0, 1}};
    static const int kColumnPair[2][2] = {{-1, 0}, {1, 0}};
    const int(*offsets)[2];
    int count;
    if (own != 1) {
        const bool green = colour == 1;
        offsets = green ? kCross : kDiagonal;
        count = 4;
    } else {
        const int rowColour = y % 2 == 0 ? 0 : 2;  // a green site's row holds red or blue
        offsets = colour == rowColour ? kRowPair : kColumnPair;
        count = 2;
    }
    uint32_t sum = 0, found = 0;
    for (int i = 0; i < count; ++i) {
        const int r = y + offsets[i][0], c = x + offsets[i][1];
        if (r < 0 || c < 0 || r >= p.height || c >= p.width) continue;
        sum += p.at(r, c);
        ++found;
    }
    return found ? sum / found : 0;
}

// The whole conversion of `mode` into a fresh image.
inline std::vector<uint8_t> Reference(int mode, const Picture& p, const Tables& t) {
    const int bpp = (mode & 2) ? 4 : 3;
    const int method = (mode >> 4) & 3;
    std::vector<uint8_t> out(static_cast<size_t>(p.width) * p.height * bpp, 0xEE);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            uint8_t bgr[3];
            if (method == 1) {
                const uint8_t k = t.bw[p.at(y, x)];
                bgr[0] = t.pseudoBlue[k], bgr[1] = t.pseudoGreen[k], bgr[2] = t.pseudoRed[k];
            } else if (method == 0) {
                bgr[0] = t.blue[ShiftedCorner(p, y, x, 1)];
                bgr[1] = t.green[ShiftedGreen(p, y, x)];
                bgr[2] = t.red[ShiftedCorner(p, y, x, 0)];
            } else {
                bgr[0] = t.blue[NearestMean(p, y, x, 2)];
                bgr[1] = t.green[NearestMean(p, y, x, 1)];
                bgr[2] = t.red[NearestMean(p, y, x, 0)];
            }
            const int oy = (mode & 1) ? p.height - 1 - y : y;
            const int ox = (mode & 8) ? p.width - 1 - x : x;
            uint8_t* d = &out[(static_cast<size_t>(oy) * p.width + ox) * bpp];
            d[0] = bgr[0], d[1] = bgr[1], d[2] = bgr[2];
            if (bpp == 4) d[3] = 0;
        }
    return out;
}

}  // namespace testing_colour
