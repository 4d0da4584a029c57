// The four player colours stay apart for people with colour blindness: every pair differs by at
// least 20 (CIEDE2000) as seen with full protanopia, deuteranopia or tritanopia, simulated with
// the matrices of Machado, Oliveira and Fernandes (2009) on linear sRGB.
#include "world/ball_look.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;
using Triple = std::array<double, 3>;

const double kMinDifference = 20.0;

// Rows of the simulation matrices (severity 1), one matrix a line.
// clang-format off
const struct
{
    const char* name;
    Matrix m;
} kVisions[] = {
    {"normal", {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}},
    {"protanopia", {{{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}}}},
    {"deuteranopia", {{{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}}}},
    {"tritanopia", {{{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}}}},
};
// clang-format on

double linear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// CIE L*a*b* (D65) of a linear RGB colour.
Triple lab(const Triple& rgb)
{
    const double x = 0.4124564 * rgb[0] + 0.3575761 * rgb[1] + 0.1804375 * rgb[2];
    const double y = 0.2126729 * rgb[0] + 0.7151522 * rgb[1] + 0.0721750 * rgb[2];
    const double z = 0.0193339 * rgb[0] + 0.1191920 * rgb[1] + 0.9503041 * rgb[2];
    const auto f = [](double t) {
        const double d = 6.0 / 29.0;
        return t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29.0;
    };
    const double fx = f(x / 0.95047), fy = f(y), fz = f(z / 1.08883);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

Triple seenAs(const Ogre::ColourValue& colour, const Matrix& m)
{
    const Triple in = {linear(colour.r), linear(colour.g), linear(colour.b)};
    Triple out{};
    for (int i = 0; i < 3; ++i)
        out[i] = std::clamp(m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2], 0.0, 1.0);
    return lab(out);
}

double radians(double degrees)
{
    return degrees * M_PI / 180.0;
}

// CIEDE2000 (Sharma, Wu and Dalal 2005).
double ciede2000(const Triple& lab1, const Triple& lab2)
{
    const double c1 = std::hypot(lab1[1], lab1[2]), c2 = std::hypot(lab2[1], lab2[2]);
    const double cMean7 = std::pow((c1 + c2) / 2, 7);
    const double g = 0.5 * (1 - std::sqrt(cMean7 / (cMean7 + std::pow(25.0, 7))));
    const double a1 = (1 + g) * lab1[1], a2 = (1 + g) * lab2[1];
    const double cp1 = std::hypot(a1, lab1[2]), cp2 = std::hypot(a2, lab2[2]);
    const auto hue = [](double b, double a) {
        return (a == 0 && b == 0) ? 0.0 : std::fmod(std::atan2(b, a) * 180.0 / M_PI + 360.0, 360.0);
    };
    const double h1 = hue(lab1[2], a1), h2 = hue(lab2[2], a2);
    double dh = 0;
    if (cp1 * cp2 != 0) {
        dh = h2 - h1;
        dh += dh > 180 ? -360 : dh < -180 ? 360 : 0;
    }
    const double dL = lab2[0] - lab1[0], dC = cp2 - cp1;
    const double dH = 2 * std::sqrt(cp1 * cp2) * std::sin(radians(dh / 2));
    const double lMean = (lab1[0] + lab2[0]) / 2, cpMean = (cp1 + cp2) / 2;
    double hMean = h1 + h2;
    if (cp1 * cp2 != 0)
        hMean = std::abs(h1 - h2) <= 180 ? (h1 + h2) / 2
                : h1 + h2 < 360          ? (h1 + h2 + 360) / 2
                                         : (h1 + h2 - 360) / 2;
    const double t = 1 - 0.17 * std::cos(radians(hMean - 30)) +
                     0.24 * std::cos(radians(2 * hMean)) + 0.32 * std::cos(radians(3 * hMean + 6)) -
                     0.20 * std::cos(radians(4 * hMean - 63));
    const double theta = 30 * std::exp(-std::pow((hMean - 275) / 25, 2));
    const double cpMean7 = std::pow(cpMean, 7);
    const double rc = 2 * std::sqrt(cpMean7 / (cpMean7 + std::pow(25.0, 7)));
    const double sl = 1 + 0.015 * std::pow(lMean - 50, 2) / std::sqrt(20 + std::pow(lMean - 50, 2));
    const double sc = 1 + 0.045 * cpMean, sh = 1 + 0.015 * cpMean * t;
    const double rt = -std::sin(radians(2 * theta)) * rc;
    return std::sqrt(std::pow(dL / sl, 2) + std::pow(dC / sc, 2) + std::pow(dH / sh, 2) +
                     rt * (dC / sc) * (dH / sh));
}

// The formula itself against pairs of its published test data (Sharma et al. 2005).
TEST(PlayerColours, differenceFormulaGivesThePublishedValues)
{
    EXPECT_NEAR(ciede2000({50, 2.6772, -79.7751}, {50, 0, -82.7485}), 2.0425, 1e-4);
    EXPECT_NEAR(ciede2000({50, -0.001, 2.49}, {50, 0.0011, -2.49}), 4.7461, 1e-4);
    EXPECT_NEAR(ciede2000({22.7233, 20.0904, -46.694}, {23.0331, 14.973, -42.5619}), 2.0373, 1e-4);
}

TEST(PlayerColours, everyPairStaysApartWithEveryKindOfColourVision)
{
    for (const auto& vision : kVisions) {
        double closest = 1e9;
        for (int a = 1; a <= balllook::kColouredPlayers; ++a) {
            for (int b = a + 1; b <= balllook::kColouredPlayers; ++b) {
                const double difference = ciede2000(seenAs(balllook::playerColour(a), vision.m),
                                                    seenAs(balllook::playerColour(b), vision.m));
                EXPECT_GE(difference, kMinDifference)
                    << vision.name << ": players " << a << " and " << b;
                closest = std::min(closest, difference);
            }
        }
        std::cout << vision.name << ": closest pair " << closest << '\n';
    }
}

} // namespace
