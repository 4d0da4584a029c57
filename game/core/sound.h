// The game's sound engine: one engine per program, 3D sounds that are always created paused,
// and CSoundHandle, the owner of one playing sound.
#pragma once

#include <OgreVector.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

struct SoundVoice;

// Creates the one engine of the program on the default output device, with the listener at the
// origin looking along (0, 0, -1). Without an audio device the game runs silently: the engine
// still exists, every sound is a silent one, and one line on standard error says so.
void createSoundEngine();
// The same on the named output device; a name that opens nothing gives the silent engine.
void createSoundEngine(const std::string& deviceName);
// Stops every sound and closes the device. Handles that outlive the engine become inert.
void destroySoundEngine();
bool soundEngineExists();

// Frees the voices of dropped sounds that have played to their end. playSound3D does this too;
// calling it once per frame keeps the number of voices low between new sounds.
void updateSoundEngine();
// Voices that still hold a sound: the ones owned by handles plus dropped ones still playing.
std::size_t soundVoiceCount();

// Opens the engine on a device that plays nothing and mixes only when asked to (for tests):
// channels is 2 (left, right) or 4 (front left, front right, back left, back right).
// Returns false if the OpenAL library cannot render that format.
bool createLoopbackSoundEngine(int sampleRate, int channels);
// Mixes the next frames of the loopback engine; interleaved samples in [-1, 1], empty if the
// engine is not a loopback engine.
std::vector<float> renderSoundEngine(int frames);

class CSoundHandle
{
public:
    explicit CSoundHandle(std::shared_ptr<SoundVoice> voice);
    ~CSoundHandle(); // drops the sound
    CSoundHandle(const CSoundHandle&) = delete;
    CSoundHandle& operator=(const CSoundHandle&) = delete;

    void setIsPaused(bool paused);
    void stop();
    // Gives up this handle's sound. A sound that is playing and not looped plays to its end;
    // a paused, stopped or looped one is stopped and freed.
    void drop();

private:
    std::shared_ptr<SoundVoice> mVoice;
};

// Plays a WAV or MP3 file at an Ogre position (z is negated for the sound engine), created
// paused. A file that cannot be read gives a silent handle and, once per file, a line on
// standard error. Mono files are placed in 3D; stereo files play unpanned.
std::unique_ptr<CSoundHandle> playSound3D(const std::string& file, const Ogre::Vector3& position,
                                          bool looped);
