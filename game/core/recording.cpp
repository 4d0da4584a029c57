// Recorded runs: the file format and the interpolation between samples.
#include "game/core/recording.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <type_traits>

namespace {
const char kMagic[4] = {'K', 'V', 'R', 'C'};
const int kMaxRate = 240;
const double kMaxTime = 3600.0;
const std::size_t kMaxName = 255;
const std::size_t kSampleBytes = 22;
const std::size_t kHeaderBytes = 28;
const std::size_t kChecksumBytes = 4;
const float kQuaternionScale = 32767.0f;
const float kFullPush = 40.0f;
const float kSteeringScale = 127.0f;

// The unsigned integer with the bits of a float or a double.
template <typename T>
using RealBits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
static_assert(sizeof(float) == 4 && sizeof(double) == 8, "IEEE 754 single and double");

class CWriter
{
public:
    template <typename T> void integer(T value)
    {
        for (std::size_t i = 0; i < sizeof(T); ++i)
            mBytes.push_back(
                static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF));
    }
    // float as 4 bytes, double as 8 (their IEEE 754 bits).
    template <typename T> void real(T value)
    {
        RealBits<T> bits;
        std::memcpy(&bits, &value, sizeof(bits));
        integer(bits);
    }
    void text(const std::string& value)
    {
        integer(static_cast<std::uint16_t>(value.size()));
        mBytes += value;
    }
    std::string& bytes() { return mBytes; }

private:
    std::string mBytes;
};

class CReader
{
public:
    // Reads bytes[begin, end) of a string that outlives the reader.
    CReader(const std::string& bytes, std::size_t begin, std::size_t end)
        : mBytes(bytes), mEnd(end), mPos(begin)
    {
    }
    bool has(std::size_t count) const { return mEnd - mPos >= count; }
    template <typename T> bool integer(T& value)
    {
        if (!has(sizeof(T)))
            return false;
        std::uint64_t bits = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(mBytes[mPos + i]))
                    << (8 * i);
        mPos += sizeof(T);
        value = static_cast<T>(bits);
        return true;
    }
    template <typename T> bool real(T& value)
    {
        RealBits<T> bits = 0;
        if (!integer(bits))
            return false;
        std::memcpy(&value, &bits, sizeof(value));
        return true;
    }
    bool text(std::string& value)
    {
        std::uint16_t length = 0;
        if (!integer(length) || length > kMaxName || !has(length))
            return false;
        value.assign(mBytes, mPos, length);
        mPos += length;
        return true;
    }
    std::size_t remaining() const { return mEnd - mPos; }

private:
    const std::string& mBytes;
    std::size_t mEnd;
    std::size_t mPos;
};

// At most kMaxName bytes, never ending inside a UTF-8 character.
std::string cutName(const std::string& name)
{
    if (name.size() <= kMaxName)
        return name;
    std::size_t end = kMaxName;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80)
        --end;
    return name.substr(0, end);
}

std::int16_t quaternionPart(float value)
{
    return static_cast<std::int16_t>(
        std::lround(std::clamp(value, -1.0f, 1.0f) * kQuaternionScale));
}

std::int8_t steeringPart(float value)
{
    if (!std::isfinite(value))
        return 0;
    const float scaled = std::clamp(value / kFullPush, -1.0f, 1.0f) * kSteeringScale;
    return static_cast<std::int8_t>(std::lround(scaled));
}

// Far beyond any level, and small enough that differences of places stay finite.
const float kMaxCoordinate = 1.0e6f;

bool plausible(const Ogre::Vector3& v)
{
    for (int i = 0; i < 3; ++i)
        if (!(std::abs(v[i]) <= kMaxCoordinate))
            return false;
    return true;
}

std::uint32_t checksum(const std::string& bytes, std::size_t length)
{
    return static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(length)));
}
} // namespace

std::size_t sampleCountFor(double time, int rate)
{
    return static_cast<std::size_t>(std::floor(time * rate)) + 2;
}

double sampleTime(const SRecording& recording, std::size_t index)
{
    if (index + 1 >= recording.samples.size())
        return recording.time;
    return std::min(recording.time, static_cast<double>(index) / recording.rate);
}

std::string encodeRecording(const SRecording& recording)
{
    CWriter out;
    out.bytes().append(kMagic, sizeof(kMagic));
    out.integer(SRecording::kVersion);
    out.integer(static_cast<std::uint16_t>(recording.rate));
    out.integer(recording.mapHash);
    out.real(recording.time);
    out.integer(static_cast<std::uint32_t>(recording.samples.size()));
    out.text(cutName(recording.mapName));
    out.text(cutName(recording.playerName));
    for (const SRunSample& sample : recording.samples) {
        for (int i = 0; i < 3; ++i)
            out.real(sample.position[i]);
        Ogre::Quaternion q = sample.orientation;
        q.normalise();
        for (float part : {q.w, q.x, q.y, q.z})
            out.integer(quaternionPart(part));
        out.integer(steeringPart(sample.steering.x));
        out.integer(steeringPart(sample.steering.z));
    }
    out.integer(checksum(out.bytes(), out.bytes().size()));
    return out.bytes();
}

bool decodeRecording(const std::string& bytes, SRecording& recording, std::string& error)
{
    if (bytes.size() < kHeaderBytes + kChecksumBytes ||
        std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0) {
        error = "not a recording";
        return false;
    }
    const std::size_t body = bytes.size() - kChecksumBytes;
    CReader tail(bytes, body, bytes.size());
    std::uint32_t stored = 0;
    tail.integer(stored);
    if (stored != checksum(bytes, body)) {
        error = "damaged (checksum mismatch)";
        return false;
    }
    CReader in(bytes, 0, body);
    char magic[4];
    for (char& c : magic)
        in.integer(c);
    std::uint16_t version = 0;
    std::uint16_t rate = 0;
    std::uint32_t count = 0;
    SRecording read;
    in.integer(version);
    if (version != SRecording::kVersion) {
        error = "unknown version " + std::to_string(version);
        return false;
    }
    in.integer(rate);
    in.integer(read.mapHash);
    in.real(read.time);
    in.integer(count);
    if (rate < 1 || rate > kMaxRate || !std::isfinite(read.time) || read.time < 0.0 ||
        read.time > kMaxTime || count != sampleCountFor(read.time, rate)) {
        error = "damaged (bad rate, time or sample count)";
        return false;
    }
    read.rate = rate;
    if (!in.text(read.mapName) || !in.text(read.playerName) ||
        in.remaining() != count * kSampleBytes) {
        error = "damaged (wrong length)";
        return false;
    }
    read.samples.resize(count);
    for (SRunSample& sample : read.samples) {
        for (int i = 0; i < 3; ++i)
            in.real(sample.position[i]);
        std::int16_t parts[4];
        for (std::int16_t& part : parts)
            in.integer(part);
        std::int8_t x = 0;
        std::int8_t z = 0;
        in.integer(x);
        in.integer(z);
        if (!plausible(sample.position)) {
            error = "damaged (a position out of any level)";
            return false;
        }
        sample.orientation =
            Ogre::Quaternion(parts[0] / kQuaternionScale, parts[1] / kQuaternionScale,
                             parts[2] / kQuaternionScale, parts[3] / kQuaternionScale);
        if (sample.orientation.Norm() < 0.5f)
            sample.orientation = Ogre::Quaternion::IDENTITY;
        sample.orientation.normalise();
        sample.steering =
            Ogre::Vector3(x * kFullPush / kSteeringScale, 0.0f, z * kFullPush / kSteeringScale);
    }
    recording = std::move(read);
    return true;
}

bool poseAt(const SRecording& recording, double seconds, SRunSample& pose)
{
    const std::vector<SRunSample>& samples = recording.samples;
    if (samples.empty())
        return false;
    if (!(seconds > 0.0)) {
        pose = samples.front();
        return true;
    }
    if (seconds >= recording.time || samples.size() == 1) {
        pose = samples.back();
        return true;
    }
    std::size_t index = static_cast<std::size_t>(std::floor(seconds * recording.rate));
    index = std::min(index, samples.size() - 2);
    const double from = sampleTime(recording, index);
    const double to = sampleTime(recording, index + 1);
    const float share =
        to > from ? static_cast<float>(std::clamp((seconds - from) / (to - from), 0.0, 1.0)) : 1.0f;
    const SRunSample& a = samples[index];
    const SRunSample& b = samples[index + 1];
    pose.position = a.position + (b.position - a.position) * share;
    pose.orientation = Ogre::Quaternion::nlerp(share, a.orientation, b.orientation, true);
    pose.steering = share < 0.5f ? a.steering : b.steering;
    return true;
}

std::uint64_t contentHash(const std::string& bytes)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::uint64_t fileContentHash(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return 0;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return contentHash(bytes);
}
