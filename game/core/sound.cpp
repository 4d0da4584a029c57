// The sound engine on OpenAL Soft: files decoded with libsndfile into one cached buffer per file,
// one OpenAL source per sound, and the bookkeeping that frees the sounds nobody holds any more.
#include "game/core/sound.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <dlfcn.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>

// One sound of the engine. A handle shares it with the engine; the engine frees the source.
struct SoundVoice
{
    ALuint source = 0; // 0 once freed, and for every voice of an engine that is gone
    bool looped = false;
    bool dropped = false; // no handle any more: freed as soon as it stops playing
};

namespace {

// Sounds closer than the reference distance play at full volume and farther ones fade gently,
// so placement pans a sound without ever silencing what the game plays near the listener.
constexpr ALfloat kReferenceDistance = 5.0f;
constexpr ALfloat kRolloffFactor = 0.5f;
constexpr ALfloat kListenerOrientation[] = {0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f};

constexpr sf_count_t kReadChunkFrames = 4096;
// Longer files are refused rather than decoded into memory (no game sound comes near this).
constexpr sf_count_t kMaxSeconds = 600;

const char* const kMessagePrefix = "Sound: ";

struct DecodedSound
{
    std::vector<int16_t> samples; // interleaved
    int channels = 0;
    int sampleRate = 0;
};

// Reads a whole WAV or MP3 file. On failure returns false and says why in reason.
bool decodeFile(const std::string& file, DecodedSound& sound, std::string& reason)
{
    SF_INFO info{};
    SNDFILE* handle = sf_open(file.c_str(), SFM_READ, &info);
    if (!handle) {
        reason = sf_strerror(nullptr);
        return false;
    }
    if (info.channels != 1 && info.channels != 2) {
        reason = std::to_string(info.channels) + " channels (only mono and stereo are played)";
        sf_close(handle);
        return false;
    }
    if (info.samplerate <= 0) {
        reason = "invalid sample rate";
        sf_close(handle);
        return false;
    }
    sound.channels = info.channels;
    sound.sampleRate = info.samplerate;

    // The frame count in the header is only an estimate for compressed formats: read to the end.
    const sf_count_t maxFrames = kMaxSeconds * info.samplerate;
    sf_count_t frames = 0;
    for (;;) {
        sound.samples.resize(static_cast<size_t>((frames + kReadChunkFrames) * info.channels));
        const sf_count_t got =
            sf_readf_short(handle, sound.samples.data() + frames * info.channels, kReadChunkFrames);
        if (got <= 0)
            break;
        frames += got;
        if (frames > maxFrames) {
            reason = "longer than " + std::to_string(kMaxSeconds) + " seconds";
            sf_close(handle);
            return false;
        }
    }
    sf_close(handle);
    sound.samples.resize(static_cast<size_t>(frames * info.channels));
    if (frames == 0) {
        reason = "no sound data";
        return false;
    }
    return true;
}

ALint sourceState(ALuint source)
{
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

class CSoundEngine
{
public:
    // The silent engine: no device, every sound is a silent one.
    CSoundEngine() = default;
    // Takes over an opened device and its current context. render is set for loopback devices.
    CSoundEngine(ALCdevice* device, ALCcontext* context, LPALCRENDERSAMPLESSOFT render,
                 int channels);
    ~CSoundEngine();
    CSoundEngine(const CSoundEngine&) = delete;
    CSoundEngine& operator=(const CSoundEngine&) = delete;

    std::shared_ptr<SoundVoice> play(const std::string& file, const Ogre::Vector3& position,
                                     bool looped);
    void release(const std::shared_ptr<SoundVoice>& voice);
    void reapFinished();
    size_t voiceCount() const { return mVoices.size(); }
    std::vector<float> render(int frames);

private:
    // The buffer holding the file's sound, decoded on first use; 0 if the file cannot be played.
    ALuint bufferFor(const std::string& file);
    void freeVoice(SoundVoice& voice);

    ALCdevice* mDevice = nullptr;
    ALCcontext* mContext = nullptr;
    LPALCRENDERSAMPLESSOFT mRender = nullptr;
    int mChannels = 0;
    // Files that failed are remembered as 0, so each one is reported once and not reread.
    std::map<std::string, ALuint> mBuffers;
    std::vector<std::shared_ptr<SoundVoice>> mVoices;
};

CSoundEngine::CSoundEngine(ALCdevice* device, ALCcontext* context, LPALCRENDERSAMPLESSOFT render,
                           int channels)
    : mDevice(device), mContext(context), mRender(render), mChannels(channels)
{
    alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    alListener3f(AL_VELOCITY, 0.0f, 0.0f, 0.0f);
    alListenerfv(AL_ORIENTATION, kListenerOrientation);
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
}

CSoundEngine::~CSoundEngine()
{
    for (const std::shared_ptr<SoundVoice>& voice : mVoices)
        freeVoice(*voice);
    mVoices.clear();
    for (const auto& entry : mBuffers) {
        if (entry.second)
            alDeleteBuffers(1, &entry.second);
    }
    if (mContext) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(mContext);
    }
    if (mDevice)
        alcCloseDevice(mDevice);
}

std::shared_ptr<SoundVoice> CSoundEngine::play(const std::string& file,
                                               const Ogre::Vector3& position, bool looped)
{
    if (!mContext)
        return nullptr;
    reapFinished();
    const ALuint buffer = bufferFor(file);
    if (!buffer)
        return nullptr;

    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) {
        std::cerr << kMessagePrefix << "no free voice to play \"" << file << "\"" << std::endl;
        return nullptr;
    }
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSource3f(source, AL_POSITION, position.x, position.y, -position.z);
    alSourcei(source, AL_LOOPING, looped ? AL_TRUE : AL_FALSE);
    alSourcef(source, AL_REFERENCE_DISTANCE, kReferenceDistance);
    alSourcef(source, AL_ROLLOFF_FACTOR, kRolloffFactor);

    auto voice = std::make_shared<SoundVoice>();
    voice->source = source;
    voice->looped = looped;
    mVoices.push_back(voice);
    return voice;
}

void CSoundEngine::release(const std::shared_ptr<SoundVoice>& voice)
{
    if (!voice->source)
        return;
    if (!voice->looped && sourceState(voice->source) == AL_PLAYING) {
        voice->dropped = true;
        return;
    }
    freeVoice(*voice);
    mVoices.erase(std::remove(mVoices.begin(), mVoices.end(), voice), mVoices.end());
}

void CSoundEngine::reapFinished()
{
    auto finished = [this](const std::shared_ptr<SoundVoice>& voice) {
        if (!voice->dropped || sourceState(voice->source) == AL_PLAYING)
            return false;
        freeVoice(*voice);
        return true;
    };
    mVoices.erase(std::remove_if(mVoices.begin(), mVoices.end(), finished), mVoices.end());
}

std::vector<float> CSoundEngine::render(int frames)
{
    if (!mRender || frames <= 0)
        return {};
    std::vector<float> samples(static_cast<size_t>(frames) * static_cast<size_t>(mChannels));
    mRender(mDevice, samples.data(), frames);
    return samples;
}

ALuint CSoundEngine::bufferFor(const std::string& file)
{
    const auto cached = mBuffers.find(file);
    if (cached != mBuffers.end())
        return cached->second;

    ALuint buffer = 0;
    DecodedSound sound;
    std::string reason;
    if (decodeFile(file, sound, reason)) {
        alGetError();
        alGenBuffers(1, &buffer);
        const ALenum format = sound.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
        alBufferData(buffer, format, sound.samples.data(),
                     static_cast<ALsizei>(sound.samples.size() * sizeof(int16_t)),
                     sound.sampleRate);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &buffer);
            buffer = 0;
            reason = "the sound device refused its data";
        }
    }
    if (!buffer)
        std::cerr << kMessagePrefix << "cannot play \"" << file << "\": " << reason << std::endl;
    mBuffers[file] = buffer;
    return buffer;
}

void CSoundEngine::freeVoice(SoundVoice& voice)
{
    if (!voice.source)
        return;
    alSourceStop(voice.source);
    alDeleteSources(1, &voice.source);
    voice.source = 0;
}

std::unique_ptr<CSoundEngine> gEngine;

// Sets up a context on an opened device and makes it current; null (device closed) on failure.
ALCcontext* startContext(ALCdevice* device, const ALCint* attributes)
{
    ALCcontext* context = alcCreateContext(device, attributes);
    if (context && alcMakeContextCurrent(context))
        return context;
    if (context)
        alcDestroyContext(context);
    alcCloseDevice(device);
    return nullptr;
}

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...)
{
}

// Without a sound card OpenAL Soft logs every output it fails to open, and ALSA, which it tries
// first, prints its own complaints; the game says once that it runs silently instead. Both
// libraries are told so before the first OpenAL call. A log level the user set is kept.
void quietenSoundLibraries()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    // ALSA's error handler is global to the library, which OpenAL loads by the same name, so
    // setting it on this copy silences OpenAL's. Without ALSA there is nothing to silence.
    using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetErrorHandler = int (*)(ErrorHandler);
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa)
        return;
    if (auto set = reinterpret_cast<SetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(ignoreAlsaError);
}

} // namespace

void createSoundEngine()
{
    createSoundEngine(std::string());
}

void createSoundEngine(const std::string& deviceName)
{
    gEngine.reset();
    quietenSoundLibraries();
    ALCdevice* device = alcOpenDevice(deviceName.empty() ? nullptr : deviceName.c_str());
    ALCcontext* context = device ? startContext(device, nullptr) : nullptr;
    if (!context) {
        std::cerr << kMessagePrefix
                  << "no audio device could be opened, the game runs without sound" << std::endl;
        gEngine = std::make_unique<CSoundEngine>();
        return;
    }
    gEngine = std::make_unique<CSoundEngine>(device, context, nullptr, 0);
}

bool createLoopbackSoundEngine(int sampleRate, int channels)
{
    gEngine.reset();
    const ALCenum layout = channels == 2 ? ALC_STEREO_SOFT : channels == 4 ? ALC_QUAD_SOFT : 0;
    auto openLoopback = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto isSupported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
        alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
    auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (!layout || sampleRate <= 0 || !openLoopback || !isSupported || !render)
        return false;

    ALCdevice* device = openLoopback(nullptr);
    if (!device)
        return false;
    if (!isSupported(device, sampleRate, layout, ALC_FLOAT_SOFT)) {
        alcCloseDevice(device);
        return false;
    }
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 layout,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY,
                                 sampleRate,
                                 0};
    ALCcontext* context = startContext(device, attributes);
    if (!context)
        return false;
    gEngine = std::make_unique<CSoundEngine>(device, context, render, channels);
    return true;
}

void destroySoundEngine()
{
    gEngine.reset();
}

bool soundEngineExists()
{
    return gEngine != nullptr;
}

void updateSoundEngine()
{
    if (gEngine)
        gEngine->reapFinished();
}

size_t soundVoiceCount()
{
    return gEngine ? gEngine->voiceCount() : 0;
}

std::vector<float> renderSoundEngine(int frames)
{
    return gEngine ? gEngine->render(frames) : std::vector<float>();
}

CSoundHandle::CSoundHandle(std::shared_ptr<SoundVoice> voice) : mVoice(std::move(voice))
{
}

CSoundHandle::~CSoundHandle()
{
    drop();
}

void CSoundHandle::setIsPaused(bool paused)
{
    if (!mVoice || !mVoice->source)
        return;
    const ALint state = sourceState(mVoice->source);
    // A stopped or finished sound stays silent, as it cannot be resumed.
    if (paused && state == AL_PLAYING)
        alSourcePause(mVoice->source);
    else if (!paused && (state == AL_INITIAL || state == AL_PAUSED))
        alSourcePlay(mVoice->source);
}

void CSoundHandle::stop()
{
    if (mVoice && mVoice->source)
        alSourceStop(mVoice->source);
}

void CSoundHandle::drop()
{
    if (mVoice && gEngine)
        gEngine->release(mVoice);
    mVoice.reset();
}

std::unique_ptr<CSoundHandle> playSound3D(const std::string& file, const Ogre::Vector3& position,
                                          bool looped)
{
    std::shared_ptr<SoundVoice> voice;
    if (gEngine)
        voice = gEngine->play(file, position, looped);
    return std::make_unique<CSoundHandle>(std::move(voice));
}
