// A map whose line is enormous (a broken or hostile file) is read with bounded memory: the long
// line is skipped without ever being held whole, and the lines around it still count.
#include "world/map_io.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <istream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

// Serves "head", then `count` copies of one character, then "tail", without storing the middle.
class CGeneratedText : public std::streambuf
{
public:
    CGeneratedText(std::string head, size_t count, std::string tail)
        : mHead(std::move(head)), mCount(count), mTail(std::move(tail))
    {
    }

protected:
    int_type underflow() override
    {
        if (mStage == 0) {
            ++mStage;
            if (!mHead.empty())
                return serve(&mHead[0], mHead.size());
        }
        if (mStage == 1) {
            if (mCount > 0) {
                const size_t n = std::min(mCount, sizeof(mChunk));
                std::memset(mChunk, 'x', n);
                mCount -= n;
                return serve(mChunk, n);
            }
            ++mStage;
        }
        if (mStage == 2) {
            ++mStage;
            if (!mTail.empty())
                return serve(&mTail[0], mTail.size());
        }
        return traits_type::eof();
    }

private:
    int_type serve(char* data, size_t size)
    {
        setg(data, data, data + size);
        return traits_type::to_int_type(*data);
    }

    std::string mHead;
    size_t mCount;
    std::string mTail;
    char mChunk[1 << 16];
    int mStage = 0;
};

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(MapLineBound, aHugeLineIsSkippedWithoutHoldingItAndItsNeighboursAreRead)
{
    const size_t hugeLine = size_t(96) << 20;
    CGeneratedText text("ambient=0.5,0.5,0.5\r\nbox=", hugeLine, "\r\nstartpoint=a\n");
    std::istream in(&text);
    const long before = peakKilobytes();
    const std::vector<std::string> lines = CIOMap::splitLines(in);
    const long grownKilobytes = peakKilobytes() - before;

    EXPECT_EQ(lines, (std::vector<std::string>{"ambient=0.5,0.5,0.5", "startpoint=a"}));
    // Holding the line would take at least its 96 MB.
    EXPECT_LT(grownKilobytes, 16 * 1024);
}

} // namespace
