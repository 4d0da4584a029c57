// A map whose line is enormous (a broken or hostile file) is read with bounded memory: the long
// line is skipped without ever being held whole, and the lines around it still count.
#include "test_env.h"

#include "world/map_io.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(MapLineBound, aHugeLineIsSkippedWithoutHoldingItAndItsNeighboursAreRead)
{
    testenv::TempDir dir;
    const std::streamoff hugeLine = std::streamoff(96) << 20;
    {
        // The line's middle is a hole in the file: zero bytes that take no disk space.
        std::ofstream out(dir.file("huge.kivom"), std::ios::binary);
        out << "ambient=0.5,0.5,0.5\r\nbox=";
        out.seekp(hugeLine, std::ios::cur);
        out << "\r\nstartpoint=a\n";
    }
    CIOMap map;
    const long before = peakKilobytes();
    ASSERT_TRUE(map.openForReading(dir.file("huge.kivom")));
    const long grownKilobytes = peakKilobytes() - before;

    EXPECT_EQ(map.getLines(), (std::vector<std::string>{"ambient=0.5,0.5,0.5", "startpoint=a"}));
    // Holding the line would take at least its 96 MB.
    EXPECT_LT(grownKilobytes, 16 * 1024);
}

} // namespace
