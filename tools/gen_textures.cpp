// Generates every bitmap the game shows: box, ball and monster textures, editor marker icons,
// particle sprites, the game icon and the CEGUI image sheets (loading screen and "gui").
// Usage: gen_textures <data folder>. Writes RGBA PNG files below <data>/textures and <data>/gui.
// Everything is procedural and seeded, so two runs write byte-identical files.
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr float kPi = 3.14159265358979f;

// ---------------------------------------------------------------------------------------------
// Colours and small maths

struct Colour
{
    float r = 0, g = 0, b = 0, a = 1;
};

Colour rgb(float r, float g, float b, float a = 1.0f)
{
    return Colour{r, g, b, a};
}

float clamp01(float v)
{
    return std::min(1.0f, std::max(0.0f, v));
}

float mixf(float a, float b, float t)
{
    return a + (b - a) * t;
}

Colour mix(const Colour& a, const Colour& b, float t)
{
    return Colour{mixf(a.r, b.r, t), mixf(a.g, b.g, t), mixf(a.b, b.b, t), mixf(a.a, b.a, t)};
}

Colour scale(const Colour& c, float k)
{
    return Colour{c.r * k, c.g * k, c.b * k, c.a};
}

float smoothstep(float e0, float e1, float x)
{
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

float fract(float v)
{
    return v - std::floor(v);
}

int wrap(int v, int n)
{
    return ((v % n) + n) % n;
}

// ---------------------------------------------------------------------------------------------
// Deterministic noise. Lattice noise with an integer period tiles seamlessly when the sample
// coordinates run over exactly one period.

uint32_t hash3(int x, int y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h *= 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x165667B1u;
    h ^= h >> 13;
    return h;
}

float hashUnit(int x, int y, uint32_t seed)
{
    return static_cast<float>(hash3(x, y, seed) & 0xFFFFFFu) / static_cast<float>(0xFFFFFF);
}

// Value noise in 0..1 at lattice coordinates (x, y) repeating every `period` cells.
float valueNoise(float x, float y, int period, uint32_t seed)
{
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = smoothstep(0.0f, 1.0f, x - static_cast<float>(x0));
    const float fy = smoothstep(0.0f, 1.0f, y - static_cast<float>(y0));
    auto at = [&](int ix, int iy) { return hashUnit(wrap(ix, period), wrap(iy, period), seed); };
    const float a = mixf(at(x0, y0), at(x0 + 1, y0), fx);
    const float b = mixf(at(x0, y0 + 1), at(x0 + 1, y0 + 1), fx);
    return mixf(a, b, fy);
}

// Fractal noise in about 0..1 over the unit square (u, v in 0..1), tileable.
float fbm(float u, float v, int basePeriod, int octaves, uint32_t seed)
{
    float sum = 0.0f;
    float amplitude = 0.5f;
    float norm = 0.0f;
    int period = basePeriod;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * valueNoise(u * static_cast<float>(period),
                                      v * static_cast<float>(period), period, seed + 7u * o);
        norm += amplitude;
        amplitude *= 0.5f;
        period *= 2;
    }
    return sum / norm;
}

// Distances to the nearest and second nearest jittered cell point, tileable with `cells` cells
// per side; also gives the id of the nearest cell. Distances are in cell units.
struct Voronoi
{
    float f1 = 10.0f, f2 = 10.0f;
    int cellX = 0, cellY = 0;
};

Voronoi voronoi(float u, float v, int cells, uint32_t seed)
{
    Voronoi result;
    const float x = u * static_cast<float>(cells);
    const float y = v * static_cast<float>(cells);
    const int cx = static_cast<int>(std::floor(x));
    const int cy = static_cast<int>(std::floor(y));
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const int ix = cx + dx;
            const int iy = cy + dy;
            const int wx = wrap(ix, cells);
            const int wy = wrap(iy, cells);
            const float px = static_cast<float>(ix) + 0.15f + 0.7f * hashUnit(wx, wy, seed);
            const float py = static_cast<float>(iy) + 0.15f + 0.7f * hashUnit(wx, wy, seed + 1u);
            const float d = std::hypot(px - x, py - y);
            if (d < result.f1) {
                result.f2 = result.f1;
                result.f1 = d;
                result.cellX = wx;
                result.cellY = wy;
            } else if (d < result.f2) {
                result.f2 = d;
            }
        }
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Signed distances (negative inside), in pixels.

struct Vec2
{
    float x = 0, y = 0;
};

Vec2 operator-(Vec2 a, Vec2 b)
{
    return Vec2{a.x - b.x, a.y - b.y};
}
Vec2 operator+(Vec2 a, Vec2 b)
{
    return Vec2{a.x + b.x, a.y + b.y};
}
Vec2 operator*(Vec2 a, float k)
{
    return Vec2{a.x * k, a.y * k};
}
float dot(Vec2 a, Vec2 b)
{
    return a.x * b.x + a.y * b.y;
}
float length(Vec2 a)
{
    return std::sqrt(dot(a, a));
}

float sdCircle(Vec2 p, Vec2 c, float r)
{
    return length(p - c) - r;
}

// A capsule: the segment a-b thickened by r.
float sdCapsule(Vec2 p, Vec2 a, Vec2 b, float r)
{
    const Vec2 pa = p - a;
    const Vec2 ba = b - a;
    const float h = clamp01(dot(pa, ba) / dot(ba, ba));
    return length(pa - ba * h) - r;
}

// An axis-aligned box with rounded corners, centre c, half size h, corner radius r.
float sdRoundBox(Vec2 p, Vec2 c, Vec2 h, float r)
{
    const float qx = std::fabs(p.x - c.x) - h.x + r;
    const float qy = std::fabs(p.y - c.y) - h.y + r;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - r;
}

// A simple polygon (any winding).
float sdPolygon(Vec2 p, const std::vector<Vec2>& v)
{
    float d = dot(p - v[0], p - v[0]);
    float s = 1.0f;
    for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
        const Vec2 e = v[j] - v[i];
        const Vec2 w = p - v[i];
        const Vec2 b = w - e * clamp01(dot(w, e) / dot(e, e));
        d = std::min(d, dot(b, b));
        const bool c1 = p.y >= v[i].y;
        const bool c2 = p.y < v[j].y;
        const bool c3 = e.x * w.y > e.y * w.x;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
            s = -s;
    }
    return s * std::sqrt(d);
}

using Sdf = std::function<float(Vec2)>;
using Paint = std::function<Colour(Vec2)>;

// ---------------------------------------------------------------------------------------------
// An RGBA float image with "over" compositing and a PNG writer.

class Image
{
public:
    Image(int w, int h, Colour fill = rgb(0, 0, 0, 0))
        : mW(w), mH(h), mPx(static_cast<size_t>(w) * static_cast<size_t>(h), fill)
    {
    }

    int width() const { return mW; }
    int height() const { return mH; }
    Colour& at(int x, int y) { return mPx[static_cast<size_t>(y) * mW + x]; }
    const Colour& at(int x, int y) const { return mPx[static_cast<size_t>(y) * mW + x]; }

    // Composites c over pixel (x, y) with the extra coverage k.
    void blend(int x, int y, Colour c, float k)
    {
        if (x < 0 || y < 0 || x >= mW || y >= mH)
            return;
        const float a = clamp01(c.a * k);
        if (a <= 0.0f)
            return;
        Colour& d = at(x, y);
        const float outA = a + d.a * (1.0f - a);
        if (outA <= 0.0f)
            return;
        d.r = (c.r * a + d.r * d.a * (1.0f - a)) / outA;
        d.g = (c.g * a + d.g * d.a * (1.0f - a)) / outA;
        d.b = (c.b * a + d.b * d.a * (1.0f - a)) / outA;
        d.a = outA;
    }

    // Fills every pixel (u, v in 0..1 at pixel centres) from a function.
    void generate(const std::function<Colour(float, float)>& f)
    {
        for (int y = 0; y < mH; ++y)
            for (int x = 0; x < mW; ++x)
                at(x, y) = f((static_cast<float>(x) + 0.5f) / static_cast<float>(mW),
                             (static_cast<float>(y) + 0.5f) / static_cast<float>(mH));
    }

    // Anti-aliased shape: composites paint(p) with coverage from the signed distance, inside
    // the pixel rectangle [x0, x1) x [y0, y1) (defaults to the whole image). A softness above
    // one pixel blurs the edge (shadows, glows).
    void fill(const Sdf& sdf, const Paint& paint, float softness = 1.0f)
    {
        fillRect(sdf, paint, 0, 0, mW, mH, softness);
    }

    void fillRect(const Sdf& sdf, const Paint& paint, int x0, int y0, int x1, int y1,
                  float softness = 1.0f)
    {
        for (int y = std::max(0, y0); y < std::min(mH, y1); ++y) {
            for (int x = std::max(0, x0); x < std::min(mW, x1); ++x) {
                const Vec2 p{static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
                const float d = sdf(p);
                const float k = clamp01(0.5f - d / softness);
                if (k > 0.0f)
                    blend(x, y, paint(p), k);
            }
        }
    }

    // A shape on a tiling texture: the pixels it touches wrap round the edges.
    void fillWrapped(const Sdf& sdf, Colour c, Vec2 lo, Vec2 hi)
    {
        for (int y = static_cast<int>(std::floor(lo.y)) - 1; y <= static_cast<int>(hi.y) + 1; ++y) {
            for (int x = static_cast<int>(std::floor(lo.x)) - 1; x <= static_cast<int>(hi.x) + 1;
                 ++x) {
                const Vec2 p{static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
                const float k = clamp01(0.5f - sdf(p));
                if (k > 0.0f)
                    blend(wrap(x, mW), wrap(y, mH), c, k);
            }
        }
    }

    // Copies another image into this one at (ox, oy).
    void paste(const Image& src, int ox, int oy)
    {
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x)
                if (ox + x < mW && oy + y < mH)
                    at(ox + x, oy + y) = src.at(x, y);
    }

    bool writePng(const std::string& path) const;

private:
    int mW;
    int mH;
    std::vector<Colour> mPx;
};

void putBe32(std::vector<unsigned char>& out, uint32_t v)
{
    out.push_back(static_cast<unsigned char>(v >> 24));
    out.push_back(static_cast<unsigned char>(v >> 16));
    out.push_back(static_cast<unsigned char>(v >> 8));
    out.push_back(static_cast<unsigned char>(v));
}

void putChunk(std::vector<unsigned char>& out, const char* type,
              const std::vector<unsigned char>& data)
{
    putBe32(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + typeAt, static_cast<uInt>(4 + data.size()));
    putBe32(out, static_cast<uint32_t>(crc));
}

unsigned char toByte(float v)
{
    return static_cast<unsigned char>(std::lround(clamp01(v) * 255.0f));
}

// PNG, 8 bit RGBA, no interlace, filter "none" on every row, zlib stream from compress2.
bool Image::writePng(const std::string& path) const
{
    constexpr unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    constexpr unsigned char kBitDepth = 8;
    constexpr unsigned char kColourTypeRgba = 6;

    std::vector<unsigned char> raw;
    raw.reserve(static_cast<size_t>(mH) * (1 + 4 * static_cast<size_t>(mW)));
    for (int y = 0; y < mH; ++y) {
        raw.push_back(0);
        for (int x = 0; x < mW; ++x) {
            // Transparent pixels keep their colour: a soft sprite's edge then filters towards
            // its own shade instead of darkening.
            const Colour& c = at(x, y);
            raw.push_back(toByte(c.r));
            raw.push_back(toByte(c.g));
            raw.push_back(toByte(c.b));
            raw.push_back(toByte(c.a));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) !=
        Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<unsigned char> header;
    putBe32(header, static_cast<uint32_t>(mW));
    putBe32(header, static_cast<uint32_t>(mH));
    header.insert(header.end(), {kBitDepth, kColourTypeRgba, 0, 0, 0});

    std::vector<unsigned char> file(std::begin(kSignature), std::end(kSignature));
    putChunk(file, "IHDR", header);
    putChunk(file, "IDAT", packed);
    putChunk(file, "IEND", {});

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

// ---------------------------------------------------------------------------------------------
// Box textures (256 x 256, tileable)

constexpr int kBoxSize = 256;

Image makeStone()
{
    Image img(kBoxSize, kBoxSize);
    constexpr int kCells = 5;
    img.generate([](float u, float v) {
        const float wu = u + 0.04f * (fbm(u, v, 4, 3, 11) - 0.5f);
        const float wv = v + 0.04f * (fbm(u, v, 4, 3, 12) - 0.5f);
        const Voronoi cell = voronoi(wu, wv, kCells, 3);
        const float tint = hashUnit(cell.cellX, cell.cellY, 5);
        const float grain = fbm(u, v, 8, 5, 21);
        const float pits = fbm(u, v, 32, 2, 22);
        Colour stone = mix(rgb(0.46f, 0.44f, 0.41f), rgb(0.66f, 0.63f, 0.58f), tint);
        stone = mix(stone, rgb(0.52f, 0.50f, 0.47f), 0.3f * hashUnit(cell.cellY, cell.cellX, 6));
        stone = scale(stone, 0.78f + 0.42f * grain - 0.12f * smoothstep(0.6f, 0.8f, pits));
        const float edge = cell.f2 - cell.f1;
        // Bevelled flagstones: darker towards the joint, lit on one side.
        const float bevel = smoothstep(0.04f, 0.16f, edge);
        stone = scale(stone, 0.75f + 0.25f * bevel);
        const Colour mortar = scale(rgb(0.30f, 0.28f, 0.25f), 0.8f + 0.4f * grain);
        return mix(mortar, stone, smoothstep(0.025f, 0.05f, edge));
    });
    return img;
}

Image makeWood()
{
    Image img(kBoxSize, kBoxSize);
    constexpr int kPlanks = 4;
    img.generate([](float u, float v) {
        const int plank = std::min(kPlanks - 1, static_cast<int>(v * kPlanks));
        const float inPlank = v * kPlanks - static_cast<float>(plank);
        const float shift = hashUnit(plank, 0, 31);
        const float pu = fract(u + shift);
        const float warp = fbm(pu, v, 2, 4, 32 + plank);
        const float rings =
            0.5f +
            0.5f * std::sin((inPlank * 3.0f + warp * 7.0f + std::sin(pu * 2.0f * kPi) * 0.6f) *
                            2.0f * kPi * 2.0f);
        const float fibre = fbm(pu, v * 0.25f, 8, 3, 40 + plank);
        const float tone = hashUnit(plank, 1, 33);
        Colour light = mix(rgb(0.74f, 0.52f, 0.30f), rgb(0.80f, 0.60f, 0.36f), tone);
        Colour dark = mix(rgb(0.48f, 0.30f, 0.15f), rgb(0.55f, 0.35f, 0.18f), tone);
        Colour c = mix(dark, light, std::pow(rings, 0.7f));
        c = scale(c, 0.85f + 0.3f * fibre);
        // Seams between planks, and one butt joint per plank.
        const float seam = std::min(inPlank, 1.0f - inPlank) * kBoxSize / kPlanks;
        const float jointU = fract(0.3f + 0.5f * hashUnit(plank, 2, 34) - u);
        const float joint = std::min(jointU, 1.0f - jointU) * kBoxSize;
        c = scale(c, 0.45f + 0.55f * smoothstep(0.5f, 2.5f, std::min(seam, joint)));
        c = scale(c, 0.9f + 0.1f * smoothstep(0.0f, 0.3f, inPlank));
        return c;
    });
    return img;
}

Image makeGrass()
{
    Image img(kBoxSize, kBoxSize);
    img.generate([](float u, float v) {
        const float n = fbm(u, v, 4, 5, 51);
        const float patches = fbm(u, v, 2, 2, 52);
        Colour c = mix(rgb(0.18f, 0.38f, 0.10f), rgb(0.36f, 0.60f, 0.18f), n);
        return mix(c, rgb(0.42f, 0.55f, 0.16f), 0.35f * smoothstep(0.5f, 0.8f, patches));
    });
    constexpr int kBlades = 2600;
    for (int i = 0; i < kBlades; ++i) {
        const Vec2 root{hashUnit(i, 0, 53) * kBoxSize, hashUnit(i, 1, 53) * kBoxSize};
        const float angle = (hashUnit(i, 2, 53) - 0.5f) * 1.2f - kPi / 2.0f;
        const float len = 5.0f + 9.0f * hashUnit(i, 3, 53);
        const Vec2 tip = root + Vec2{std::cos(angle), std::sin(angle)} * len;
        const float shade = hashUnit(i, 4, 53);
        Colour c = mix(rgb(0.14f, 0.32f, 0.07f), rgb(0.55f, 0.78f, 0.28f), shade);
        c.a = 0.75f;
        const Vec2 lo{std::min(root.x, tip.x) - 2, std::min(root.y, tip.y) - 2};
        const Vec2 hi{std::max(root.x, tip.x) + 2, std::max(root.y, tip.y) + 2};
        img.fillWrapped([=](Vec2 p) { return sdCapsule(p, root, tip, 0.7f); }, c, lo, hi);
    }
    return img;
}

Image makeIce()
{
    Image img(kBoxSize, kBoxSize);
    img.generate([](float u, float v) {
        const float cloud = fbm(u, v, 3, 5, 61);
        const float frost = fbm(u, v, 32, 2, 62);
        Colour c = mix(rgb(0.55f, 0.75f, 0.90f), rgb(0.86f, 0.95f, 1.0f), cloud);
        const Voronoi big = voronoi(u, v, 3, 63);
        const Voronoi small = voronoi(u, v, 7, 64);
        const float crackBig = 1.0f - smoothstep(0.0f, 0.035f, big.f2 - big.f1);
        const float crackSmall = 1.0f - smoothstep(0.0f, 0.05f, small.f2 - small.f1);
        c = mix(c, rgb(0.97f, 1.0f, 1.0f), 0.85f * crackBig);
        c = mix(c, rgb(0.92f, 0.98f, 1.0f), 0.35f * crackSmall * smoothstep(0.4f, 0.7f, cloud));
        // Depth: the inside of each big cell darkens slightly towards its middle.
        c = scale(c, 0.9f + 0.1f * smoothstep(0.3f, 0.0f, big.f1));
        c = mix(c, rgb(1, 1, 1), 0.25f * smoothstep(0.8f, 0.95f, frost));
        return c;
    });
    return img;
}

Image makeMetal()
{
    Image img(kBoxSize, kBoxSize);
    constexpr int kDiamonds = 8;
    img.generate([](float u, float v) {
        const float brushed = fbm(u, v * 0.03125f, 64, 2, 71);
        const float stains = fbm(u, v, 4, 4, 72);
        Colour base = scale(rgb(0.62f, 0.64f, 0.68f), 0.82f + 0.18f * brushed);
        base = mix(base, rgb(0.45f, 0.44f, 0.43f), 0.3f * smoothstep(0.55f, 0.8f, stains));
        // Tread plate: elongated bumps, alternating direction on a chequer of cells.
        const float x = u * kDiamonds;
        const float y = v * kDiamonds;
        const int cx = static_cast<int>(std::floor(x));
        const int cy = static_cast<int>(std::floor(y));
        const float fx = x - static_cast<float>(cx) - 0.5f;
        const float fy = y - static_cast<float>(cy) - 0.5f;
        const bool flip = ((cx + cy) & 1) != 0;
        const float s = 0.7071f;
        const float a = flip ? (fx + fy) * s : (fx - fy) * s;
        const float b = flip ? (fx - fy) * s : (fx + fy) * s;
        constexpr float kLong = 0.42f;
        constexpr float kWide = 0.11f;
        const float bump = std::hypot(a / kLong, b / kWide);
        // Raised bumps: lit on the upper flank, shaded on the lower, with a dark outline.
        const float slope = (flip ? -b : b) / kWide;
        const float light = 1.0f + 0.6f * slope * smoothstep(0.3f, 1.0f, bump);
        const Colour raised = scale(base, 1.1f * light);
        const float inside = 1.0f - smoothstep(0.92f, 1.0f, bump);
        const float rim = smoothstep(0.9f, 1.0f, bump) * (1.0f - smoothstep(1.0f, 1.25f, bump));
        return scale(mix(base, raised, inside), 1.0f - 0.35f * rim);
    });
    return img;
}

// Green tiles with white chevrons pointing along +v: on a box top that is away from the camera
// that follows a ball at the start, and upwards on the sides.
Image makeStartBox()
{
    Image img(kBoxSize, kBoxSize);
    constexpr int kTiles = 2;
    constexpr float kTile = static_cast<float>(kBoxSize) / kTiles;
    img.generate([](float u, float v) {
        const float tx = fract(u * kTiles);
        const float ty = fract(v * kTiles);
        const float grout = std::min(std::min(tx, 1.0f - tx), std::min(ty, 1.0f - ty)) * kTile;
        const float n = fbm(u, v, 8, 4, 81);
        Colour tile = mix(rgb(0.12f, 0.55f, 0.22f), rgb(0.22f, 0.72f, 0.32f), n);
        // A soft glaze gradient within each tile.
        tile = scale(tile, 0.85f + 0.25f * (1.0f - ty) * (1.0f - 0.5f * tx));
        const Colour groutColour = rgb(0.08f, 0.22f, 0.10f);
        return mix(groutColour, tile, smoothstep(1.5f, 3.5f, grout));
    });
    for (int ty = 0; ty < kTiles; ++ty) {
        for (int tx = 0; tx < kTiles; ++tx) {
            const float cx = (static_cast<float>(tx) + 0.5f) * kTile;
            const float cy = (static_cast<float>(ty) + 0.5f) * kTile;
            for (int k = 0; k < 2; ++k) {
                const float y = cy - 14.0f + static_cast<float>(k) * 30.0f;
                const Vec2 left{cx - 34.0f, y - 22.0f};
                const Vec2 apex{cx, y + 12.0f};
                const Vec2 right{cx + 34.0f, y - 22.0f};
                auto chevron = [=](Vec2 p) {
                    return std::min(sdCapsule(p, left, apex, 7.0f),
                                    sdCapsule(p, apex, right, 7.0f));
                };
                img.fill(
                    [=](Vec2 p) {
                        return chevron(p - Vec2{2, 3});
                    },
                    [](Vec2) { return rgb(0.02f, 0.15f, 0.05f, 0.5f); }, 3.0f);
                img.fill(chevron, [](Vec2) { return rgb(0.96f, 1.0f, 0.92f); });
            }
        }
    }
    return img;
}

// A chequered flag, gently waving.
Image makeFinishBox()
{
    Image img(kBoxSize, kBoxSize);
    constexpr int kChecks = 8;
    img.generate([](float u, float v) {
        const float wave = std::sin(2.0f * kPi * (u + v)) * 0.5f + std::sin(2.0f * kPi * 2.0f * u);
        const float wu = u + 0.006f * std::sin(2.0f * kPi * v * 2.0f);
        const float wv = v + 0.008f * std::sin(2.0f * kPi * u * 2.0f);
        const float x = fract(wu) * kChecks;
        const float y = fract(wv) * kChecks;
        const int cx = static_cast<int>(x);
        const int cy = static_cast<int>(y);
        const bool white = ((cx + cy) & 1) == 0;
        // Anti-aliased check boundary.
        const float ex = std::min(x - static_cast<float>(cx), 1.0f - (x - static_cast<float>(cx)));
        const float ey = std::min(y - static_cast<float>(cy), 1.0f - (y - static_cast<float>(cy)));
        const float edge = std::min(ex, ey) * kBoxSize / kChecks;
        const float grey = white ? 0.95f : 0.08f;
        const float c = mixf(0.5f, grey, smoothstep(0.0f, 1.0f, edge));
        const float cloth = 0.85f + 0.15f * wave * 0.5f + 0.05f * fbm(u, v, 16, 2, 91);
        return rgb(c * cloth, c * cloth, c * cloth * 1.02f);
    });
    return img;
}

// ---------------------------------------------------------------------------------------------
// Ball and monster textures (wrapped round a UV sphere: u runs round, v from pole to pole)

Colour marbleColour(float u, float v)
{
    const float turbulence = fbm(u, v, 2, 3, 101);
    const float fine = fbm(u, v, 16, 2, 102);
    const float swirl = std::sin(2.0f * kPi * (u * 2.0f + v * 1.2f + turbulence * 1.8f));
    const float band = std::sin(2.0f * kPi * (u * 2.0f - v * 0.8f + turbulence * 1.4f) + 1.3f);
    Colour c = mix(rgb(0.95f, 0.97f, 1.0f), rgb(0.82f, 0.89f, 0.98f), fine);
    c = mix(c, rgb(0.15f, 0.42f, 0.92f), smoothstep(0.45f, 0.8f, swirl));
    c = mix(c, rgb(0.04f, 0.16f, 0.55f), smoothstep(0.85f, 1.0f, swirl));
    c = mix(c, rgb(1.0f, 0.72f, 0.12f), smoothstep(0.88f, 0.97f, band));
    return c;
}

Image makeSphere()
{
    Image img(kBoxSize, kBoxSize);
    img.generate(marbleColour);
    return img;
}

// The players' ball: a pale grey marble that the ball's material tints with the player's colour,
// with a white band round it whose dark edges show the ball rolling.
Image makePlayerBall()
{
    Image img(kBoxSize, kBoxSize);
    img.generate([](float u, float v) {
        const float turbulence = fbm(u, v, 2, 3, 131);
        const float swirl = std::sin(2.0f * kPi * (u * 3.0f + v * 1.5f + turbulence * 2.0f));
        const float grey =
            0.9f + 0.1f * fbm(u, v, 16, 2, 132) - 0.3f * smoothstep(0.6f, 0.95f, swirl);
        const float fromEquator = std::abs(v - 0.5f);
        if (fromEquator < 0.07f) {
            const float edge = smoothstep(0.05f, 0.07f, fromEquator);
            const float white = 1.0f - 0.75f * edge;
            return rgb(white, white, white);
        }
        return rgb(grey, grey, grey);
    });
    return img;
}

// The shadow under a ball: black, opaque in the middle and fading to nothing at the rim.
Image makeBallShadow()
{
    Image img(64, 64);
    img.generate([](float u, float v) {
        const float r = 2.0f * std::hypot(u - 0.5f, v - 0.5f);
        return rgb(0, 0, 0, 1.0f - smoothstep(0.35f, 1.0f, r));
    });
    return img;
}

Image makeEvilSphere()
{
    Image img(kBoxSize, kBoxSize);
    img.generate([](float u, float v) {
        const float n = fbm(u, v, 4, 5, 111);
        const Voronoi cell = voronoi(u + 0.05f * n, v + 0.05f * n, 6, 112);
        const float vein = 1.0f - smoothstep(0.0f, 0.09f, cell.f2 - cell.f1);
        const float core = 1.0f - smoothstep(0.0f, 0.03f, cell.f2 - cell.f1);
        Colour c = mix(rgb(0.02f, 0.0f, 0.0f), rgb(0.22f, 0.02f, 0.02f), n * n);
        c = mix(c, rgb(0.85f, 0.08f, 0.02f), vein * 0.9f);
        c = mix(c, rgb(1.0f, 0.65f, 0.15f), core);
        return c;
    });
    return img;
}

// The obstacle's faces: a dark steel plate framed by hazard stripes, a bolt near each corner and
// a polished boss in the middle where the spike sits (the spikes map onto that boss).
Image makeObstacle()
{
    Image img(kBoxSize, kBoxSize);
    img.generate([](float u, float v) {
        const float scratches = fbm(u * 0.2f, v, 64, 2, 121);
        const float grime = fbm(u, v, 4, 4, 122);
        Colour plate = scale(rgb(0.28f, 0.29f, 0.31f), 0.8f + 0.35f * scratches);
        plate = mix(plate, rgb(0.18f, 0.14f, 0.10f), 0.4f * smoothstep(0.5f, 0.8f, grime));
        const float border = std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v));
        if (border < 0.16f) {
            const bool yellow = fract((u + v) * 6.0f) < 0.5f;
            Colour stripe = yellow ? rgb(0.95f, 0.72f, 0.05f) : rgb(0.07f, 0.07f, 0.07f);
            stripe = mix(stripe, rgb(0.25f, 0.2f, 0.15f), 0.35f * smoothstep(0.45f, 0.8f, grime));
            const float inner = smoothstep(0.15f, 0.16f, border);
            const float outer = 1.0f - smoothstep(0.0f, 0.012f, border);
            return scale(mix(stripe, plate, inner), 1.0f - 0.5f * outer);
        }
        const float r = std::hypot(u - 0.5f, v - 0.5f);
        if (r < 0.14f) {
            const float shine = 1.0f - r / 0.14f;
            return mix(rgb(0.45f, 0.46f, 0.48f), rgb(0.92f, 0.93f, 0.95f), shine * shine);
        }
        const float ring = smoothstep(0.14f, 0.16f, r);
        return scale(plate, 0.6f + 0.4f * ring);
    });
    for (int i = 0; i < 4; ++i) {
        const Vec2 c{(i & 1) ? 198.0f : 58.0f, (i & 2) ? 198.0f : 58.0f};
        img.fill(
            [=](Vec2 p) {
                return sdCircle(p, c + Vec2{1.5f, 2}, 8.0f);
            },
            [](Vec2) { return rgb(0, 0, 0, 0.5f); }, 2.5f);
        img.fill([=](Vec2 p) { return sdCircle(p, c, 7.5f); },
                 [=](Vec2 p) {
                     const float t = clamp01(0.5f + (c.y - p.y + c.x - p.x) / 14.0f);
                     return mix(rgb(0.3f, 0.3f, 0.32f), rgb(0.85f, 0.86f, 0.88f), t);
                 });
    }
    return img;
}

// ---------------------------------------------------------------------------------------------
// Shared drawing of a glass marble: a shaded, textured sphere with a highlight.

// Turns the pattern so that a blue swirl and the gold band face the viewer.
constexpr float kMarbleTurn = 0.25f;

void drawMarble(Image& img, Vec2 centre, float radius, float outline)
{
    if (outline > 0.0f)
        img.fill([=](Vec2 p) { return sdCircle(p, centre, radius + outline); },
                 [](Vec2) { return rgb(0.06f, 0.05f, 0.12f); });
    img.fill([=](Vec2 p) { return sdCircle(p, centre, radius); },
             [=](Vec2 p) {
                 const float nx = (p.x - centre.x) / radius;
                 const float ny = (p.y - centre.y) / radius;
                 const float rr = std::min(1.0f, nx * nx + ny * ny);
                 const float nz = std::sqrt(1.0f - rr);
                 // Spherical coordinates of the visible point select the marble pattern.
                 const float u = fract(std::atan2(nx, nz) / (2.0f * kPi) + kMarbleTurn);
                 const float v = std::acos(std::max(-1.0f, std::min(1.0f, ny))) / kPi;
                 const Colour base = marbleColour(u, v);
                 const float lx = -0.45f, ly = -0.6f, lz = 0.66f;
                 const float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
                 const float rz = 2.0f * diffuse * nz - lz;
                 const float specular = std::pow(std::max(0.0f, rz), 40.0f);
                 Colour c = scale(base, 0.25f + 0.85f * diffuse);
                 c = mix(c, rgb(0.05f, 0.1f, 0.3f), 0.45f * smoothstep(0.75f, 1.0f, rr));
                 return mix(c, rgb(1, 1, 1), clamp01(specular * 1.2f));
             });
    // A soft secondary glint on the lower right (light passing through the glass).
    img.fill(
        [=](Vec2 p) {
            return sdCircle(p, centre + Vec2{0.45f, 0.5f} * radius, radius * 0.18f);
        },
        [](Vec2) { return rgb(0.8f, 0.9f, 1.0f, 0.35f); }, radius * 0.2f);
}

// ---------------------------------------------------------------------------------------------
// Editor marker icons (128 x 128 with alpha)

constexpr int kIconSize = 128;

Image makeOgreHead()
{
    Image img(kIconSize, kIconSize);
    const Vec2 c{64, 70};
    const Colour outline = rgb(0.05f, 0.12f, 0.03f);
    auto head = [=](Vec2 p) {
        return std::min(sdCircle(p, c, 44.0f), sdRoundBox(p, c + Vec2{0, 18}, Vec2{40, 28}, 18));
    };
    auto hornL = [](Vec2 p) { return sdPolygon(p, {{26, 44}, {10, 8}, {44, 34}}); };
    auto hornR = [](Vec2 p) { return sdPolygon(p, {{102, 44}, {118, 8}, {84, 34}}); };
    auto horns = [=](Vec2 p) { return std::min(hornL(p), hornR(p)); };
    img.fill([=](Vec2 p) { return horns(p) - 3.0f; }, [=](Vec2) { return outline; });
    img.fill(horns, [](Vec2 p) {
        return mix(rgb(0.95f, 0.9f, 0.75f), rgb(0.6f, 0.5f, 0.35f), p.y / 44.0f);
    });
    img.fill([=](Vec2 p) { return head(p) - 3.5f; }, [=](Vec2) { return outline; });
    img.fill(head, [=](Vec2 p) {
        const float t = clamp01((p.y - 26.0f) / 90.0f);
        const float lit = clamp01(1.0f - length(p - Vec2{48, 46}) / 70.0f);
        return mix(mix(rgb(0.45f, 0.78f, 0.25f), rgb(0.18f, 0.45f, 0.10f), t),
                   rgb(0.7f, 0.95f, 0.45f), 0.5f * lit);
    });
    // Angry brows and glowing eyes.
    for (int side = -1; side <= 1; side += 2) {
        const float s = static_cast<float>(side);
        const Vec2 eye{64 + s * 18, 64};
        img.fill([=](Vec2 p) { return sdCircle(p, eye, 10.0f); },
                 [](Vec2) { return rgb(0.1f, 0.05f, 0); });
        img.fill(
            [=](Vec2 p) {
                return sdCircle(p, eye + Vec2{0, 1}, 7.0f);
            },
            [](Vec2) { return rgb(1.0f, 0.85f, 0.1f); });
        img.fill(
            [=](Vec2 p) {
                return sdCircle(p, eye + Vec2{-s * 2, 2}, 3.0f);
            },
            [](Vec2) { return rgb(0.05f, 0, 0); });
        img.fill(
            [=](Vec2 p) {
                return sdCapsule(p, eye + Vec2{-s * 9, -7}, eye + Vec2{s * 12, -17}, 3.5f);
            },
            [=](Vec2) { return outline; });
    }
    // Grinning mouth with fangs.
    auto mouth = [](Vec2 p) { return sdRoundBox(p, Vec2{64, 96}, Vec2{26, 10}, 8); };
    img.fill(mouth, [](Vec2) { return rgb(0.25f, 0.02f, 0.02f); });
    for (int i = 0; i < 2; ++i) {
        const float x = i == 0 ? 50.0f : 78.0f;
        img.fill(
            [=](Vec2 p) {
                return sdPolygon(p, {{x - 6, 86}, {x + 6, 86}, {x, 100}});
            },
            [](Vec2) { return rgb(1, 1, 0.95f); });
    }
    return img;
}

Image makeLightIcon()
{
    Image img(kIconSize, kIconSize);
    const Vec2 c{64, 64};
    img.fill([=](Vec2 p) { return sdCircle(p, c, 40.0f); },
             [=](Vec2 p) {
                 const float r = length(p - c) / 60.0f;
                 return rgb(1.0f, 0.9f, 0.4f, 0.6f * (1.0f - r));
             },
             40.0f);
    constexpr int kRays = 12;
    for (int i = 0; i < kRays; ++i) {
        const float a = 2.0f * kPi * static_cast<float>(i) / kRays;
        const Vec2 d{std::cos(a), std::sin(a)};
        const float len = (i & 1) ? 52.0f : 60.0f;
        img.fill([=](Vec2 p) { return sdCapsule(p, c + d * 30.0f, c + d * len, 4.5f); },
                 [](Vec2) { return rgb(0.45f, 0.3f, 0.0f); });
        img.fill([=](Vec2 p) { return sdCapsule(p, c + d * 30.0f, c + d * len, 3.0f); },
                 [](Vec2) { return rgb(1.0f, 0.86f, 0.2f); });
    }
    img.fill([=](Vec2 p) { return sdCircle(p, c, 27.0f); },
             [](Vec2) { return rgb(0.45f, 0.3f, 0.0f); });
    img.fill([=](Vec2 p) { return sdCircle(p, c, 24.0f); },
             [=](Vec2 p) {
                 const float t = clamp01(length(p - (c + Vec2{-8, -8})) / 32.0f);
                 return mix(rgb(1.0f, 1.0f, 0.85f), rgb(1.0f, 0.7f, 0.05f), t);
             });
    return img;
}

// A round badge with a drop shadow, a rim and a vertical gradient.
void drawBadge(Image& img, Vec2 c, float r, Colour top, Colour bottom)
{
    img.fill(
        [=](Vec2 p) {
            return sdCircle(p, c + Vec2{2, 4}, r);
        },
        [](Vec2) { return rgb(0, 0, 0, 0.45f); }, 6.0f);
    img.fill([=](Vec2 p) { return sdCircle(p, c, r); },
             [](Vec2) { return rgb(0.97f, 0.97f, 0.97f); });
    img.fill([=](Vec2 p) { return sdCircle(p, c, r - r * 0.1f); },
             [=](Vec2 p) { return mix(top, bottom, clamp01((p.y - (c.y - r)) / (2 * r))); });
    // Glossy cap on the upper half.
    img.fill(
        [=](Vec2 p) {
            return std::max(sdCircle(p, c, r * 0.82f),
                            sdCircle(p, c + Vec2{0, -r * 0.9f}, r * 1.05f));
        },
        [](Vec2) { return rgb(1, 1, 1, 0.25f); });
}

Image makeStartPointIcon()
{
    Image img(kIconSize, kIconSize);
    const Vec2 c{62, 62};
    drawBadge(img, c, 54, rgb(0.35f, 0.9f, 0.35f), rgb(0.05f, 0.45f, 0.1f));
    const std::vector<Vec2> play{{48, 34}, {48, 90}, {94, 62}};
    img.fill([=](Vec2 p) { return sdPolygon(p, play) - 3.0f; },
             [](Vec2) { return rgb(0.02f, 0.25f, 0.05f); });
    img.fill([=](Vec2 p) { return sdPolygon(p, play); }, [](Vec2) { return rgb(1, 1, 1); });
    return img;
}

Image makeFinishPointIcon()
{
    Image img(kIconSize, kIconSize);
    // Pole.
    img.fill(
        [](Vec2 p) {
            return sdCapsule(p, Vec2{24, 14}, Vec2{24, 120}, 6.0f);
        },
        [](Vec2) { return rgb(0.1f, 0.1f, 0.1f); });
    img.fill(
        [](Vec2 p) {
            return sdCapsule(p, Vec2{24, 14}, Vec2{24, 120}, 4.0f);
        },
        [](Vec2 p) {
            return mix(rgb(0.95f, 0.95f, 0.95f), rgb(0.55f, 0.55f, 0.6f), (p.x - 20) / 8);
        });
    // Waving chequered cloth.
    auto wave = [](float x) { return 7.0f * std::sin((x - 28.0f) / 96.0f * 2.0f * kPi); };
    auto flag = [=](Vec2 p) {
        const float y = p.y - wave(p.x);
        return sdRoundBox(Vec2{p.x, y}, Vec2{76, 46}, Vec2{48, 30}, 3);
    };
    img.fill([=](Vec2 p) { return flag(p) - 3.0f; }, [](Vec2) { return rgb(0.05f, 0.05f, 0.05f); });
    img.fill(flag, [=](Vec2 p) {
        const float y = p.y - wave(p.x);
        const int cx = static_cast<int>(std::floor((p.x - 28.0f) / 16.0f));
        const int cy = static_cast<int>(std::floor((y - 16.0f) / 15.0f));
        const float shade = 0.8f + 0.2f * std::cos((p.x - 28.0f) / 96.0f * 2.0f * kPi);
        const float g = ((cx + cy) & 1) ? 0.08f : 0.97f;
        return rgb(g * shade, g * shade, g * shade);
    });
    return img;
}

Image makeWaypointIcon()
{
    Image img(kIconSize, kIconSize);
    // A map pin: round head tapering to a point at the bottom.
    auto pin = [](Vec2 p) {
        return std::min(sdCircle(p, Vec2{64, 50}, 36.0f),
                        sdPolygon(p, {{34, 66}, {94, 66}, {64, 122}}));
    };
    img.fill(
        [=](Vec2 p) {
            return pin(p - Vec2{3, 4});
        },
        [](Vec2) { return rgb(0, 0, 0, 0.4f); }, 5.0f);
    img.fill([=](Vec2 p) { return pin(p) - 3.0f; }, [](Vec2) { return rgb(0.02f, 0.1f, 0.3f); });
    img.fill(pin, [](Vec2 p) {
        const float t = clamp01(length(p - Vec2{52, 36}) / 80.0f);
        return mix(rgb(0.5f, 0.8f, 1.0f), rgb(0.05f, 0.3f, 0.8f), t);
    });
    img.fill(
        [](Vec2 p) {
            return sdCircle(p, Vec2{64, 50}, 14.0f);
        },
        [](Vec2) { return rgb(1, 1, 1); });
    return img;
}

// ---------------------------------------------------------------------------------------------
// Particle sprites (white or neutral; the particle systems colour them)

Image makeFlare()
{
    constexpr int kSize = 64;
    Image img(kSize, kSize);
    img.generate([](float u, float v) {
        const float r = std::min(1.0f, std::hypot(u - 0.5f, v - 0.5f) * 2.0f);
        const float glow = std::pow(1.0f - r, 2.2f);
        const float core = std::pow(clamp01(1.0f - r * 2.5f), 2.0f);
        const float i = clamp01(glow * 0.9f + core);
        return rgb(i, i, i, i);
    });
    return img;
}

Image makeSpark()
{
    constexpr int kSize = 64;
    Image img(kSize, kSize);
    img.generate([](float u, float v) {
        const float x = std::fabs(u - 0.5f) * 2.0f;
        const float y = std::fabs(v - 0.5f) * 2.0f;
        const float r = std::min(1.0f, std::hypot(x, y));
        const float star = std::max(std::pow(clamp01(1.0f - x), 6.0f) * clamp01(1.0f - y * 12.0f),
                                    std::pow(clamp01(1.0f - y), 6.0f) * clamp01(1.0f - x * 12.0f));
        const float glow = std::pow(1.0f - r, 4.0f);
        const float i = clamp01(star * 0.9f + glow * 1.4f);
        return rgb(i, i, i, i);
    });
    return img;
}

Image makeSmoke()
{
    constexpr int kSize = 128;
    Image img(kSize, kSize);
    img.generate([](float u, float v) {
        const float r = std::hypot(u - 0.5f, v - 0.5f) * 2.0f;
        const float n = fbm(u, v, 4, 5, 141);
        const float puff = clamp01(1.0f - r * (0.8f + 0.6f * n));
        const float a = smoothstep(0.0f, 0.7f, puff) * (0.55f + 0.45f * n);
        const float shade = 0.75f + 0.25f * n;
        return rgb(shade, shade, shade, a);
    });
    return img;
}

// ---------------------------------------------------------------------------------------------
// GUI sheets

constexpr int kLogoWidth = 377;
constexpr int kLogoHeight = 196;
constexpr int kBarWidth = 1024;
// The filled bar is drawn at its own size and cut off at the progress, so it must be at least
// as wide as the bar's window (0.8 of the screen width) on wide screens.
constexpr int kFullBarWidth = 2048;
constexpr int kBarHeight = 50;

// "KIVO" in chunky rounded strokes, the O being a marble.
Image makeLogo()
{
    Image img(kLogoWidth, kLogoHeight);
    constexpr float kStroke = 15.0f;
    constexpr float kTop = 38.0f;
    constexpr float kBottom = 150.0f;
    auto letters = [=](Vec2 p) {
        float d = sdCapsule(p, Vec2{35, kTop}, Vec2{35, kBottom}, kStroke);
        d = std::min(d, sdCapsule(p, Vec2{44, 100}, Vec2{92, kTop}, kStroke));
        d = std::min(d, sdCapsule(p, Vec2{58, 90}, Vec2{94, kBottom}, kStroke));
        d = std::min(d, sdCapsule(p, Vec2{128, kTop}, Vec2{128, kBottom}, kStroke));
        d = std::min(d, sdCapsule(p, Vec2{163, kTop}, Vec2{197, kBottom}, kStroke));
        d = std::min(d, sdCapsule(p, Vec2{197, kBottom}, Vec2{231, kTop}, kStroke));
        return d;
    };
    constexpr float kOutline = 5.0f;
    const Vec2 shadow{5, 7};
    const Vec2 marbleCentre{301, 94};
    constexpr float kMarbleRadius = 54.0f;
    img.fill(
        [=](Vec2 p) {
            const Vec2 q = p - shadow;
            return std::min(letters(q), sdCircle(q, marbleCentre, kMarbleRadius)) - kOutline;
        },
        [](Vec2) { return rgb(0, 0, 0, 0.55f); }, 8.0f);
    img.fill([=](Vec2 p) { return letters(p) - kOutline; },
             [](Vec2) { return rgb(0.12f, 0.05f, 0.02f); });
    img.fill(letters, [=](Vec2 p) {
        const float t = clamp01((p.y - (kTop - kStroke)) / (kBottom - kTop + 2 * kStroke));
        Colour c = mix(rgb(1.0f, 0.93f, 0.35f), rgb(0.95f, 0.35f, 0.05f), t);
        return c;
    });
    // Gloss on the upper part of every stroke.
    img.fill([=](Vec2 p) { return std::max(letters(p) + 5.0f, p.y - 80.0f); },
             [](Vec2 p) { return rgb(1, 1, 1, 0.45f * clamp01((86.0f - p.y) / 60.0f)); });
    drawMarble(img, marbleCentre, kMarbleRadius, kOutline);
    return img;
}

// The progress bar track: a dark glass channel with a light rim, stretched by the GUI.
Image makeBarEmpty()
{
    Image img(kBarWidth, kBarHeight);
    const Vec2 c{kBarWidth / 2.0f, kBarHeight / 2.0f};
    const Vec2 half{kBarWidth / 2.0f - 2, kBarHeight / 2.0f - 2};
    img.fill([=](Vec2 p) { return sdRoundBox(p, c, half, 20); },
             [](Vec2) { return rgb(0.75f, 0.8f, 0.9f); });
    img.fill(
        [=](Vec2 p) {
            return sdRoundBox(p, c, half - Vec2{3, 3}, 17);
        },
        [](Vec2 p) {
            const float t = p.y / kBarHeight;
            return mix(rgb(0.03f, 0.04f, 0.08f), rgb(0.16f, 0.18f, 0.26f), t);
        });
    return img;
}

// The filled bar: shown left-aligned over the track and cut off at the progress, so it carries
// the track's inner margin and no right-hand cap.
Image makeBarFull()
{
    Image img(kFullBarWidth, kBarHeight);
    constexpr float kMargin = 7.0f;
    auto body = [=](Vec2 p) {
        return sdRoundBox(p, Vec2{kFullBarWidth / 2.0f + 20.0f, kBarHeight / 2.0f},
                          Vec2{kFullBarWidth / 2.0f + 20.0f - kMargin, kBarHeight / 2.0f - kMargin},
                          12.0f);
    };
    img.fill(body, [](Vec2 p) {
        const float t = (p.y - kMargin) / (kBarHeight - 2 * kMargin);
        Colour c = mix(rgb(1.0f, 0.85f, 0.3f), rgb(0.95f, 0.4f, 0.05f), clamp01(t));
        const bool stripe = fract((p.x + p.y) / 36.0f) < 0.5f;
        c = scale(c, stripe ? 1.0f : 0.88f);
        return mix(c, rgb(1, 1, 1), 0.35f * clamp01(1.0f - t * 2.5f));
    });
    return img;
}

Image makeLoadingScreenSheet()
{
    Image sheet(kFullBarWidth, 512);
    sheet.paste(makeBarEmpty(), 0, 0);
    sheet.paste(makeBarFull(), 0, 64);
    sheet.paste(makeLogo(), 0, 128);
    return sheet;
}

Image makeArrowCursor()
{
    Image img(32, 32);
    const std::vector<Vec2> arrow{{2, 2},         {2, 24},        {7.5f, 19},    {11.5f, 28},
                                  {15.5f, 26.3f}, {11.7f, 17.5f}, {18.5f, 17.5f}};
    img.fill(
        [&](Vec2 p) {
            return sdPolygon(p - Vec2{1.5f, 2}, arrow) - 0.5f;
        },
        [](Vec2) { return rgb(0, 0, 0, 0.35f); }, 2.0f);
    img.fill([&](Vec2 p) { return sdPolygon(p, arrow) - 1.2f; }, [](Vec2) { return rgb(0, 0, 0); });
    img.fill([&](Vec2 p) { return sdPolygon(p, arrow) + 0.3f; },
             [](Vec2 p) { return mix(rgb(1, 1, 1), rgb(0.82f, 0.86f, 0.92f), p.y / 28.0f); });
    return img;
}

Image makeInfoIcon()
{
    Image img(48, 48);
    drawBadge(img, Vec2{23, 23}, 21, rgb(0.4f, 0.7f, 1.0f), rgb(0.05f, 0.25f, 0.7f));
    img.fill(
        [](Vec2 p) {
            return sdCircle(p, Vec2{23, 13.5f}, 3.6f);
        },
        [](Vec2) { return rgb(1, 1, 1); });
    img.fill(
        [](Vec2 p) {
            return sdRoundBox(p, Vec2{23, 27}, Vec2{3.2f, 8.5f}, 1.5f);
        },
        [](Vec2) { return rgb(1, 1, 1); });
    return img;
}

Image makeErrorIcon()
{
    Image img(48, 48);
    drawBadge(img, Vec2{23, 23}, 21, rgb(1.0f, 0.45f, 0.35f), rgb(0.65f, 0.02f, 0.02f));
    img.fill(
        [](Vec2 p) {
            return sdPolygon(p, {{19.5f, 9}, {26.5f, 9}, {25, 28}, {21, 28}}) - 0.8f;
        },
        [](Vec2) { return rgb(1, 1, 1); });
    img.fill(
        [](Vec2 p) {
            return sdCircle(p, Vec2{23, 34}, 3.6f);
        },
        [](Vec2) { return rgb(1, 1, 1); });
    return img;
}

Image makeGuiSheet()
{
    Image sheet(128, 64);
    sheet.paste(makeArrowCursor(), 0, 0);
    sheet.paste(makeInfoIcon(), 32, 0);
    sheet.paste(makeErrorIcon(), 80, 0);
    return sheet;
}

// The game's icon at any size: the marble filling the square, drawn at that size (not scaled).
Image makeGameIcon(int size = 64)
{
    const float unit = static_cast<float>(size) / 64.0f;
    Image img(size, size);
    drawMarble(img, Vec2{32 * unit, 32 * unit}, 28.0f * unit, 2.5f * unit);
    return img;
}

// The editor's icon: a tilted slab of grid tiles with the marble resting on its corner.
Image makeEditorIcon(int size)
{
    const float unit = static_cast<float>(size) / 64.0f;
    Image img(size, size);
    const Vec2 centre{30 * unit, 34 * unit};
    const Vec2 half{24 * unit, 24 * unit};
    img.fill([=](Vec2 p) { return sdRoundBox(p, centre, half, 4 * unit); },
             [](Vec2) { return rgb(0.06f, 0.05f, 0.12f); });
    const float tile = 2 * half.x / 3;
    img.fill(
        [=](Vec2 p) {
            return sdRoundBox(p, centre, half - Vec2{2 * unit, 2 * unit}, 3 * unit);
        },
        [=](Vec2 p) {
            const int tx = static_cast<int>((p.x - centre.x + half.x) / tile);
            const int ty = static_cast<int>((p.y - centre.y + half.y) / tile);
            return (tx + ty) % 2 ? rgb(0.55f, 0.58f, 0.62f) : rgb(0.72f, 0.74f, 0.78f);
        });
    drawMarble(img, Vec2{46 * unit, 18 * unit}, 14.0f * unit, 1.5f * unit);
    return img;
}

// Desktop icons in the hicolor theme's folder layout, one PNG per size for both programs.
bool writeDesktopIcons(const std::filesystem::path& data)
{
    constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    bool ok = true;
    for (int size : kSizes) {
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path folder = data / "icons" / "hicolor" / name / "apps";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        ok &= makeGameIcon(size).writePng((folder / "kivo.png").string());
        ok &= makeEditorIcon(size).writePng((folder / "kivo-editor.png").string());
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: gen_textures <data folder>\n";
        return 2;
    }
    const std::filesystem::path data = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(data / "textures", ec);
    std::filesystem::create_directories(data / "gui", ec);

    const std::vector<std::pair<std::string, std::function<Image()>>> textures = {
        {"stone", makeStone},
        {"wood", makeWood},
        {"grass", makeGrass},
        {"ice", makeIce},
        {"metal", makeMetal},
        {"startbox", makeStartBox},
        {"finishbox", makeFinishBox},
        {"sphere", makeSphere},
        {"ball", makePlayerBall},
        {"ballshadow", makeBallShadow},
        {"evilsphere", makeEvilSphere},
        {"obstacle", makeObstacle},
        {"ogrehead", makeOgreHead},
        {"light", makeLightIcon},
        {"startpoint", makeStartPointIcon},
        {"finishpoint", makeFinishPointIcon},
        {"waypoint", makeWaypointIcon},
        {"flare", makeFlare},
        {"spark", makeSpark},
        {"smoke", makeSmoke},
    };
    const std::vector<std::pair<std::string, std::function<Image()>>> guiImages = {
        {"kivo_icon", [] { return makeGameIcon(); }},
        {"loadingscreen", makeLoadingScreenSheet},
        {"gui", makeGuiSheet},
    };

    bool ok = true;
    auto write = [&](const std::filesystem::path& path, const Image& img) {
        if (!img.writePng(path.string())) {
            std::cerr << "gen_textures: cannot write " << path << "\n";
            ok = false;
        }
    };
    for (const auto& [name, make] : textures)
        write(data / "textures" / (name + ".png"), make());
    for (const auto& [name, make] : guiImages)
        write(data / "gui" / (name + ".png"), make());
    if (!writeDesktopIcons(data)) {
        std::cerr << "gen_textures: cannot write the desktop icons below " << data << "\n";
        ok = false;
    }
    return ok ? 0 : 1;
}
