// Synthesises the game's sounds (music loops, chimes, beeps and effects) into <data>/sounds/.
// Everything is additive synthesis with smooth envelopes; the music loops are rendered into a
// circular buffer, so the tails of the last notes fall onto the start and the loop is seamless.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kSampleRate = 22050;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// Partials above this frequency would fold back below the Nyquist limit as harsh noise.
constexpr double kHighestPartial = 0.45 * kSampleRate;
constexpr double kMp3CompressionLevel = 0.0; // 0 best quality, 1 smallest file
// Peak levels after normalisation: music sits a little below the effects.
constexpr double kMusicPeak = 0.6;
constexpr double kEffectPeak = 0.85;
// Steady beeps sound louder than their peak suggests, so they stay nearer the music's level.
constexpr double kBeepPeak = 0.6;
constexpr double kEndFade = 0.02; // seconds faded out at the end of every one-shot sound

double midiToFrequency(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// A mono signal. A looping track wraps everything written past its end onto its start.
class Track
{
public:
    Track(double seconds, bool looping)
        : mSamples(static_cast<size_t>(std::lround(seconds * kSampleRate)), 0.0), mLooping(looping)
    {
    }

    void add(long index, double value)
    {
        const long size = static_cast<long>(mSamples.size());
        if (mLooping)
            mSamples[static_cast<size_t>(((index % size) + size) % size)] += value;
        else if (index >= 0 && index < size)
            mSamples[static_cast<size_t>(index)] += value;
    }

    // Calls voice(time since the note's start) for every sample of [start, start + length).
    template <class Voice> void render(double start, double length, Voice voice)
    {
        const long first = std::lround(start * kSampleRate);
        const long count = std::lround(length * kSampleRate);
        for (long i = 0; i < count; ++i)
            add(first + i, voice(static_cast<double>(i) / kSampleRate));
    }

    void mix(const Track& other, double gain)
    {
        for (size_t i = 0; i < mSamples.size() && i < other.mSamples.size(); ++i)
            mSamples[i] += gain * other.mSamples[i];
    }

    // Repeats the track delayed, as an echo; in a loop the echo wraps around too.
    void addEcho(double delay, double feedback, int repeats)
    {
        const std::vector<double> dry = mSamples;
        double gain = 1.0;
        for (int r = 1; r <= repeats; ++r) {
            gain *= feedback;
            const long offset = std::lround(r * delay * kSampleRate);
            for (size_t i = 0; i < dry.size(); ++i)
                add(static_cast<long>(i) + offset, gain * dry[i]);
        }
    }

    void normalise(double peak)
    {
        double highest = 0.0;
        for (double s : mSamples)
            highest = std::max(highest, std::fabs(s));
        if (highest > 0.0) {
            for (double& s : mSamples)
                s *= peak / highest;
        }
    }

    void fadeOutEnd(double seconds)
    {
        const size_t count = std::min(mSamples.size(), static_cast<size_t>(seconds * kSampleRate));
        for (size_t i = 0; i < count; ++i)
            mSamples[mSamples.size() - 1 - i] *= static_cast<double>(i) / count;
    }

    const std::vector<double>& samples() const { return mSamples; }

private:
    std::vector<double> mSamples;
    bool mLooping;
};

// Deterministic white noise in [-1, 1] (xorshift32).
class Noise
{
public:
    double next()
    {
        mState ^= mState << 13;
        mState ^= mState >> 17;
        mState ^= mState << 5;
        return static_cast<double>(mState) / 2147483648.0 - 1.0;
    }

private:
    uint32_t mState = 0x2545F491u;
};

// Smooth rise over attack, hold until hold, smooth fall over release: no clicks at either end.
double envelope(double t, double attack, double hold, double release)
{
    if (t < 0.0)
        return 0.0;
    if (t < attack)
        return std::pow(std::sin(0.5 * kPi * t / attack), 2.0);
    if (t < hold)
        return 1.0;
    if (t < hold + release)
        return std::pow(std::cos(0.5 * kPi * (t - hold) / release), 2.0);
    return 0.0;
}

// Sum of harmonics of a phase; amplitudes[k] belongs to harmonic k + 1.
double harmonics(double phase, double frequency, std::initializer_list<double> amplitudes)
{
    double sum = 0.0;
    int k = 1;
    for (double amplitude : amplitudes) {
        if (k * frequency < kHighestPartial)
            sum += amplitude * std::sin(k * phase);
        ++k;
    }
    return sum;
}

// A struck metal bar: slightly inharmonic partials, the high ones dying first.
void bell(Track& track, double start, int note, double amp, double length)
{
    const double f = midiToFrequency(note);
    const double ratios[] = {1.0, 2.0, 2.76, 4.07};
    const double levels[] = {1.0, 0.35, 0.2, 0.08};
    track.render(start, length, [=](double t) {
        double sum = 0.0;
        for (int p = 0; p < 4; ++p) {
            if (f * ratios[p] < kHighestPartial)
                sum += levels[p] * std::exp(-t * (2.5 + 3.0 * p)) *
                       std::sin(kTwoPi * f * ratios[p] * t);
        }
        return amp * envelope(t, 0.004, length - 0.05, 0.05) * sum;
    });
}

// A soft plucked string.
void pluck(Track& track, double start, int note, double amp, double length)
{
    const double f = midiToFrequency(note);
    track.render(start, length, [=](double t) {
        const double phase = kTwoPi * f * t;
        const double bright = std::exp(-t * 6.0);
        const double body = harmonics(phase, f, {1.0, 0.3 * bright, 0.15 * bright, 0.06 * bright});
        return amp * std::exp(-t * 3.0) * envelope(t, 0.005, length - 0.08, 0.08) * body;
    });
}

// A warm pad: two slightly detuned voices with soft harmonics and slow swells.
void pad(Track& track, double start, double hold, int note, double amp)
{
    const double f = midiToFrequency(note);
    const double detune = 1.0015;
    constexpr double kAttack = 0.9;
    constexpr double kRelease = 1.2;
    track.render(start, hold + kRelease, [=](double t) {
        const double a = harmonics(kTwoPi * f * t, f, {1.0, 0.35, 0.18, 0.08, 0.04});
        const double b =
            harmonics(kTwoPi * f * detune * t, f * detune, {1.0, 0.35, 0.18, 0.08, 0.04});
        return amp * envelope(t, kAttack, hold, kRelease) * 0.5 * (a + b);
    });
}

// A round bass with a quick pluck at the start of every note.
void bass(Track& track, double start, double hold, int note, double amp)
{
    const double f = midiToFrequency(note);
    track.render(start, hold + 0.04, [=](double t) {
        const double level = 0.7 + 0.3 * std::exp(-t * 12.0);
        const double body = harmonics(kTwoPi * f * t, f, {1.0, 0.5, 0.25, 0.12, 0.05});
        return amp * level * envelope(t, 0.006, hold, 0.04) * body;
    });
}

// A mellow square-like lead with a delayed vibrato.
void lead(Track& track, double start, double hold, int note, double amp)
{
    const double f = midiToFrequency(note);
    constexpr double kVibratoRate = 5.5;
    constexpr double kVibratoDepth = 0.004;
    double phase = 0.0;
    track.render(start, hold + 0.08, [=](double t) mutable {
        const double depth = kVibratoDepth * std::min(1.0, std::max(0.0, (t - 0.15) / 0.2));
        const double frequency = f * (1.0 + depth * std::sin(kTwoPi * kVibratoRate * t));
        phase += kTwoPi * frequency / kSampleRate;
        const double body = harmonics(phase, f, {1.0, 0.0, 0.3, 0.0, 0.12, 0.0, 0.05});
        return amp * (0.8 + 0.2 * std::exp(-t * 8.0)) * envelope(t, 0.012, hold, 0.08) * body;
    });
}

// A brass-like tone whose upper harmonics open up after the attack.
void brass(Track& track, double start, double hold, int note, double amp)
{
    const double f = midiToFrequency(note);
    double phase = 0.0;
    track.render(start, hold + 0.15, [=](double t) mutable {
        const double depth = 0.003 * std::min(1.0, std::max(0.0, (t - 0.25) / 0.3));
        phase += kTwoPi * f * (1.0 + depth * std::sin(kTwoPi * 5.0 * t)) / kSampleRate;
        double sum = 0.0;
        for (int k = 1; k <= 10 && k * f < kHighestPartial; ++k) {
            const double opening = std::min(1.0, t / (0.015 + 0.008 * k));
            sum += opening * std::sin(k * phase) / std::pow(k, 1.3);
        }
        return amp * envelope(t, 0.015, hold, 0.15) * sum;
    });
}

// A short beep, as on a starting light.
void beep(Track& track, double start, double hold, int note, double amp)
{
    const double f = midiToFrequency(note);
    track.render(start, hold + 0.04, [=](double t) {
        return amp * envelope(t, 0.005, hold, 0.04) *
               harmonics(kTwoPi * f * t, f, {1.0, 0.25, 0.12, 0.05});
    });
}

void kick(Track& track, double start, double amp)
{
    constexpr double kLength = 0.3;
    double phase = 0.0;
    track.render(start, kLength, [=](double t) mutable {
        phase += kTwoPi * (45.0 + 90.0 * std::exp(-t * 30.0)) / kSampleRate;
        return amp * std::exp(-t * 10.0) * envelope(t, 0.002, kLength - 0.05, 0.05) *
               std::sin(phase);
    });
}

void snare(Track& track, Noise& noise, double start, double amp)
{
    constexpr double kLength = 0.2;
    double previous = 0.0;
    track.render(start, kLength, [&noise, amp, &previous](double t) {
        const double white = noise.next();
        const double bright = white - previous; // a first difference tilts the noise upwards
        previous = white;
        const double tone = std::sin(kTwoPi * 185.0 * t) * std::exp(-t * 30.0);
        return amp * envelope(t, 0.002, kLength - 0.05, 0.05) *
               (0.45 * bright * std::exp(-t * 20.0) + 0.6 * tone);
    });
}

void hat(Track& track, Noise& noise, double start, double amp)
{
    constexpr double kLength = 0.07;
    double previous = 0.0;
    track.render(start, kLength, [&noise, amp, &previous](double t) {
        const double white = noise.next();
        const double bright = white - previous;
        previous = white;
        return amp * envelope(t, 0.001, kLength - 0.03, 0.03) * bright * std::exp(-t * 50.0);
    });
}

bool writeSound(const Track& track, const std::string& path, int format)
{
    SF_INFO info{};
    info.samplerate = kSampleRate;
    info.channels = 1;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::cerr << "gen_sounds: cannot write " << path << ": " << sf_strerror(nullptr) << "\n";
        return false;
    }
    if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) {
        double level = kMp3CompressionLevel;
        sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof(level));
    }
    std::vector<int16_t> pcm;
    pcm.reserve(track.samples().size());
    for (double s : track.samples())
        pcm.push_back(static_cast<int16_t>(std::lround(std::clamp(s, -1.0, 1.0) * 32767.0)));
    const sf_count_t written =
        sf_writef_short(file, pcm.data(), static_cast<sf_count_t>(pcm.size()));
    sf_close(file);
    if (written != static_cast<sf_count_t>(pcm.size())) {
        std::cerr << "gen_sounds: short write to " << path << "\n";
        return false;
    }
    return true;
}

// Three notes of a major chord struck one after another, ringing out.
Track loadingChime()
{
    constexpr double kLength = 1.5;
    Track track(kLength, false);
    const int notes[] = {79, 84, 88}; // G5 C6 E6
    for (int i = 0; i < 3; ++i)
        bell(track, 0.11 * i, notes[i], 1.0 - 0.15 * i, kLength - 0.11 * i);
    track.normalise(kEffectPeak);
    track.fadeOutEnd(kEndFade);
    return track;
}

// Four bars at 96 beats a minute: slow pad chords with a soft echoing arpeggio above them.
Track menuLoop()
{
    constexpr double kBeat = 60.0 / 96.0;
    constexpr int kBeatsPerChord = 4;
    const std::vector<std::vector<int>> chords = {
        {48, 55, 59, 64}, // Cmaj7
        {45, 52, 55, 60}, // Am7
        {41, 48, 52, 57}, // Fmaj7
        {43, 50, 55, 59}, // G
    };
    const double length = kBeat * kBeatsPerChord * chords.size();
    Track pads(length, true);
    Track arpeggio(length, true);
    const int pattern[] = {0, 2, 1, 3, 2, 1, 3, 2};
    for (size_t c = 0; c < chords.size(); ++c) {
        const double start = c * kBeatsPerChord * kBeat;
        pad(pads, start - 0.3, kBeatsPerChord * kBeat, chords[c][0] - 12, 0.5);
        for (int note : chords[c])
            pad(pads, start - 0.3, kBeatsPerChord * kBeat, note, 0.25);
        for (int step = 0; step < 2 * kBeatsPerChord; ++step) {
            const int note = chords[c][static_cast<size_t>(pattern[step])] + 12;
            pluck(arpeggio, start + step * kBeat / 2.0, note, step % 2 ? 0.18 : 0.25, 1.2);
        }
    }
    arpeggio.addEcho(kBeat * 0.75, 0.35, 3);
    pads.mix(arpeggio, 1.0);
    pads.normalise(kMusicPeak);
    return pads;
}

struct Note
{
    double beat;
    int note;
    double beats;
};

// Eight bars at 128 beats a minute in C: drums, an octave bass, off-beat chord stabs and a tune.
Track ingameLoop()
{
    constexpr double kBeat = 60.0 / 128.0;
    constexpr int kBars = 8;
    const std::vector<std::vector<int>> chords = {
        {60, 64, 67}, // C
        {59, 62, 67}, // G
        {57, 60, 64}, // Am
        {57, 60, 65}, // F
    };
    const int roots[] = {36, 43, 45, 41};
    const std::vector<Note> tune = {
        {0, 76, 1},      {1, 79, 0.5},  {1.5, 81, 0.5}, {2, 79, 1},      {3, 76, 1},
        {4, 74, 1},      {5, 79, 0.5},  {5.5, 83, 0.5}, {6, 86, 1.5},    {7.5, 83, 0.5},
        {8, 84, 1},      {9, 83, 0.5},  {9.5, 81, 0.5}, {10, 76, 1.5},   {12, 77, 0.5},
        {12.5, 81, 0.5}, {13, 84, 1},   {14, 81, 1},    {15, 79, 1},     {16, 76, 0.5},
        {16.5, 79, 0.5}, {17, 84, 1},   {18, 79, 0.5},  {18.5, 76, 0.5}, {19, 79, 1},
        {20, 83, 1},     {21, 86, 1},   {22, 83, 0.5},  {22.5, 81, 0.5}, {23, 79, 1},
        {24, 81, 1},     {25, 84, 1},   {26, 88, 1.5},  {27.5, 86, 0.5}, {28, 84, 1},
        {29, 81, 1},     {30, 79, 1.5},
    };
    const double length = kBeat * 4 * kBars;
    Track drums(length, true);
    Track music(length, true);
    Track melody(length, true);
    Noise noise;
    for (int bar = 0; bar < kBars; ++bar) {
        const size_t chord = static_cast<size_t>(bar % 4);
        for (int beat = 0; beat < 4; ++beat) {
            const double t = (bar * 4 + beat) * kBeat;
            kick(drums, t, 0.9);
            if (beat % 2 == 1)
                snare(drums, noise, t, 0.55);
            hat(drums, noise, t + kBeat / 2.0, 0.25);
            bass(music, t, kBeat / 2.0 - 0.05, roots[chord], 0.45);
            bass(music, t + kBeat / 2.0, kBeat / 2.0 - 0.05, roots[chord] + 12, 0.35);
            if (beat % 2 == 1) {
                for (int note : chords[chord])
                    pluck(music, t + kBeat / 2.0, note, 0.16, 0.4);
            }
        }
    }
    for (const Note& n : tune)
        lead(melody, n.beat * kBeat, n.beats * kBeat - 0.06, n.note, 0.28);
    melody.addEcho(kBeat * 0.75, 0.25, 2);
    music.mix(drums, 1.0);
    music.mix(melody, 1.0);
    music.normalise(kMusicPeak);
    return music;
}

// Three low beeps a half second apart, then a higher, longer one: three, two, one, go.
Track startSequence()
{
    constexpr double kStep = 0.5;
    Track track(2.1, false);
    for (int i = 0; i < 3; ++i)
        beep(track, i * kStep, 0.16, 69, 0.8); // A4
    beep(track, 3 * kStep, 0.5, 81, 0.8);      // A5
    beep(track, 3 * kStep, 0.5, 88, 0.25);     // E6, a fifth above
    track.normalise(kBeepPeak);
    track.fadeOutEnd(kEndFade);
    return track;
}

// A ball hitting something: a falling low thump with a short wooden clack on top.
Track collisionThud()
{
    constexpr double kLength = 0.3;
    Track track(kLength, false);
    Noise noise;
    double phase = 0.0;
    track.render(0.0, kLength, [&](double t) {
        phase += kTwoPi * (70.0 + 110.0 * std::exp(-t * 25.0)) / kSampleRate;
        const double thump = std::sin(phase) * std::exp(-t * 18.0);
        const double clack = (std::sin(kTwoPi * 820.0 * t) + 0.5 * std::sin(kTwoPi * 1890.0 * t)) *
                             std::exp(-t * 60.0);
        const double click = noise.next() * std::exp(-t * 250.0);
        return envelope(t, 0.001, kLength - 0.04, 0.04) * (thump + 0.35 * clack + 0.1 * click);
    });
    track.normalise(kEffectPeak);
    return track;
}

// A short brass fanfare ending on a held C major chord.
Track winningFanfare()
{
    Track track(2.7, false);
    const std::vector<Note> line = {
        {0.0, 67, 0.13},  {0.15, 72, 0.13}, {0.3, 76, 0.13},
        {0.45, 79, 0.38}, {0.9, 76, 0.13},  {1.05, 79, 1.35},
    };
    for (const Note& n : line)
        brass(track, n.beat, n.beats, n.note, 0.5);
    for (int note : {60, 64, 67})
        brass(track, 1.05, 1.35, note, 0.25);
    bell(track, 1.05, 84, 0.25, 1.5);
    track.normalise(kEffectPeak);
    track.fadeOutEnd(kEndFade);
    return track;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: gen_sounds <data folder>\n";
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "sounds";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::cerr << "gen_sounds: cannot create " << folder.string() << ": " << error.message()
                  << "\n";
        return 1;
    }
    const int wav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const int mp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    bool ok = writeSound(loadingChime(), (folder / "loading.wav").string(), wav);
    ok = writeSound(menuLoop(), (folder / "menu.wav").string(), wav) && ok;
    ok = writeSound(ingameLoop(), (folder / "ingame.wav").string(), wav) && ok;
    ok = writeSound(startSequence(), (folder / "startsound.wav").string(), wav) && ok;
    ok = writeSound(collisionThud(), (folder / "collision.mp3").string(), mp3) && ok;
    ok = writeSound(winningFanfare(), (folder / "winningsound.wav").string(), wav) && ok;
    return ok ? 0 : 1;
}
