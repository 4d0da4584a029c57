// The game's sound engine: one engine per program, 3D sounds that are always created paused,
// and CSoundHandle, the owner of one playing sound.
#pragma once

#include <OgreVector.h>

#include <memory>
#include <string>

struct SoundVoice;

// Creates the one engine of the program on the default output device, with the listener at the
// origin looking along (0, 0, -1). Without an audio device the game runs silently: the engine
// still exists, every sound is a silent one, and one line on standard error says so.
void createSoundEngine();
// Stops every sound and closes the device. Handles that outlive the engine become inert.
void destroySoundEngine();
bool soundEngineExists();

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
// paused. A file that cannot be read gives a silent handle and a line on standard error.
std::unique_ptr<CSoundHandle> playSound3D(const std::string& file, const Ogre::Vector3& position,
                                          bool looped);
