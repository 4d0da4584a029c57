// A recorded single-player run: the ball's place and turn at a fixed rate, the steering, the
// round's time, the map it was driven on and the player's name; its file format; and the pose of
// the ball at any moment of the run.
//
// File format, version 1 (every number little-endian, floats IEEE 754):
//   offset size  field
//   0      4     magic "KVRC"
//   4      2     version (1)
//   6      2     samples per second (1..240)
//   8      8     map content hash (FNV-1a, 64 bit, over the map file's bytes)
//   16     8     run time in seconds (double, finite, 0..3600)
//   24     4     sample count n, which must be floor(time x rate) + 2
//   28     2+a   map name: length a (0..255), then a bytes of UTF-8
//   ..     2+b   player name: length b (0..255), then b bytes of UTF-8
//   ..     22n   samples; sample i < n - 1 is at i / rate seconds, the last one at the run time:
//                  3 x float32  ball centre (x, y, z)
//                  4 x int16    orientation quaternion (w, x, y, z) x 32767
//                  2 x int8     steering x and z, scaled so that 127 is a full push (40)
//   ..     4     CRC-32 (zlib) of every byte before it
// Nothing may follow the checksum. At 30 samples a second a minute of play takes 39.6 KB.
#pragma once

#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <cstdint>
#include <string>
#include <vector>

struct SRunSample
{
    Ogre::Vector3 position = Ogre::Vector3::ZERO;
    Ogre::Quaternion orientation = Ogre::Quaternion::IDENTITY;
    Ogre::Vector3 steering = Ogre::Vector3::ZERO; // y is always 0
};

struct SRecording
{
    static constexpr std::uint16_t kVersion = 1;
    static constexpr int kDefaultRate = 30;

    int rate = kDefaultRate;
    std::uint64_t mapHash = 0;
    double time = 0.0; // seconds from the start to the finish
    std::string mapName;
    std::string playerName;
    std::vector<SRunSample> samples;
};

// The bytes of the file. Names longer than 255 bytes are cut (at a UTF-8 character boundary).
std::string encodeRecording(const SRecording& recording);
// Reads a file's bytes; false with a reason in error when they are not a whole, undamaged
// recording of a version this program knows.
bool decodeRecording(const std::string& bytes, SRecording& recording, std::string& error);

// The number of samples a run of this time has at this rate.
std::size_t sampleCountFor(double time, int rate);
// The sample time of sample index i of a recording.
double sampleTime(const SRecording& recording, std::size_t index);
// The ball at a moment of the run, interpolated between the two samples around it; before the
// start the first sample, after the finish the last one. False for a recording with no samples.
bool poseAt(const SRecording& recording, double seconds, SRunSample& pose);

// FNV-1a (64 bit) of the bytes: what identifies a version of a map.
std::uint64_t contentHash(const std::string& bytes);
// The hash of a file's bytes; 0 when it cannot be read.
std::uint64_t fileContentHash(const std::string& file);
