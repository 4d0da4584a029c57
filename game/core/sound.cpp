// Placeholder until the OpenAL sound layer lands.
#include "game/core/sound.h"

struct SoundVoice
{
};

void createSoundEngine() {}
void destroySoundEngine() {}
bool soundEngineExists()
{
    return false;
}

CSoundHandle::CSoundHandle(std::shared_ptr<SoundVoice> voice) : mVoice(std::move(voice)) {}
CSoundHandle::~CSoundHandle()
{
    drop();
}
void CSoundHandle::setIsPaused(bool) {}
void CSoundHandle::stop() {}
void CSoundHandle::drop()
{
    mVoice.reset();
}

std::unique_ptr<CSoundHandle> playSound3D(const std::string&, const Ogre::Vector3&, bool)
{
    return std::make_unique<CSoundHandle>(nullptr);
}
