// Synthesises Gaugelet's built-in alarm sounds and writes them as MP3 files.
//
//   gaugelet-soundgen OUTPUT_DIR      (e.g. resources/Sounds)
//
// Every sound is made from sine partials with smooth attack/decay envelopes,
// mixed in double precision, normalised to -3 dBFS and encoded by libsndfile
// (its MPEG Layer III writer, backed by LAME) as mono 44.1 kHz VBR MP3. The
// output is deterministic, so running it again reproduces the committed files.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kTwoPi = 6.283185307179586;

using Buffer = std::vector<double>;

Buffer silence(double seconds)
{
    return Buffer(static_cast<size_t>(seconds * kRate), 0.0);
}

// Adds a partial starting at `start` seconds: frequency follows freq(t), the
// amplitude an attack ramp then an exponential decay with time constant `decay`.
void addPartial(Buffer& out, double start, double length, double amp, double attack, double decay,
                const std::function<double(double)>& freq)
{
    double phase = 0;
    const size_t first = static_cast<size_t>(start * kRate);
    const size_t count = static_cast<size_t>(length * kRate);
    for (size_t i = 0; i < count && first + i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double env = std::min(1.0, t / attack) * std::exp(-t / decay);
        // A short release at the end avoids a click when the partial stops.
        const double tail = std::min(1.0, (length - t) / 0.01);
        phase += kTwoPi * freq(t) / kRate;
        out[first + i] += amp * env * std::max(0.0, tail) * std::sin(phase);
    }
}

// A bird-like chirp: a fast upward sweep with a little warble.
void chirp(Buffer& out, double start, double f0, double f1, double length)
{
    addPartial(out, start, length, 1.0, 0.008, length * 0.6, [=](double t) {
        const double x = t / length;
        return f0 + (f1 - f0) * std::sin(x * kTwoPi / 4) + 120 * std::sin(kTwoPi * 38 * t);
    });
    addPartial(out, start, length, 0.12, 0.008, length * 0.4, [=](double t) {
        const double x = t / length;
        return 2 * (f0 + (f1 - f0) * std::sin(x * kTwoPi / 4));
    });
}

// A struck tone: fundamental plus a few partials (ratios) that die away faster.
void strike(Buffer& out, double start, double f, double decay, const std::vector<std::pair<double, double>>& partials)
{
    for (const auto& [ratio, amp] : partials)
        addPartial(out, start, decay * 5, amp, 0.004, decay / std::sqrt(ratio), [f, r = ratio](double) { return f * r; });
}

Buffer birdSound()
{
    Buffer b = silence(1.35);
    const double phrase[][3] = {{0.00, 2900, 4100}, {0.13, 3000, 4300}, {0.26, 3100, 4500},
                                {0.62, 3300, 4200}, {0.76, 3400, 4600}, {0.90, 3200, 4000}};
    for (const auto& c : phrase)
        chirp(b, c[0], c[1], c[2], 0.095);
    return b;
}

Buffer softChimeSound()
{
    Buffer b = silence(1.6);
    const double notes[] = {1046.5, 1318.5, 1568.0}; // C6 E6 G6
    for (int i = 0; i < 3; ++i)
        strike(b, 0.16 * i, notes[i], 0.35, {{1.0, 1.0}, {2.0, 0.25}, {3.0, 0.08}});
    return b;
}

Buffer bellSound()
{
    Buffer b = silence(1.9);
    // A small bell's inharmonic partials (hum, prime, tierce, quint, nominal).
    strike(b, 0.0, 880.0, 0.45, {{0.5, 0.35}, {1.0, 1.0}, {1.19, 0.45}, {1.5, 0.3}, {2.0, 0.5}, {2.74, 0.15}});
    return b;
}

Buffer marimbaSound()
{
    Buffer b = silence(0.9);
    strike(b, 0.00, 784.0, 0.12, {{1.0, 1.0}, {3.93, 0.22}, {9.2, 0.05}});  // G5
    strike(b, 0.15, 1046.5, 0.14, {{1.0, 1.0}, {3.93, 0.2}, {9.2, 0.04}}); // C6
    return b;
}

// The sound-effects pack: three short cues of their own.
Buffer blipSound()
{
    Buffer b = silence(0.35);
    // Two quick square-ish blips (odd partials), the second a fifth higher.
    strike(b, 0.00, 660.0, 0.05, {{1.0, 1.0}, {3.0, 0.3}, {5.0, 0.12}});
    strike(b, 0.09, 990.0, 0.06, {{1.0, 1.0}, {3.0, 0.3}, {5.0, 0.12}});
    return b;
}

Buffer sweepSound()
{
    Buffer b = silence(0.6);
    // A rising sweep from 300 Hz to 1.5 kHz with a soft octave above it.
    addPartial(b, 0.0, 0.55, 0.6, 0.02, 0.3, [](double t) { return 300.0 + 2200.0 * t; });
    addPartial(b, 0.0, 0.55, 0.15, 0.02, 0.25, [](double t) { return 2 * (300.0 + 2200.0 * t); });
    return b;
}

Buffer dropSound()
{
    Buffer b = silence(0.5);
    // A water-drop "plip": a fast downward glide with a short ring.
    addPartial(b, 0.0, 0.45, 0.8, 0.003, 0.08, [](double t) { return 1800.0 * std::exp(-t * 9.0) + 500.0; });
    return b;
}

bool writeMp3(const std::string& path, Buffer samples)
{
    double peak = 0;
    for (double s : samples)
        peak = std::max(peak, std::fabs(s));
    const double gain = peak > 0 ? 0.707 / peak : 0;
    std::vector<float> pcm(samples.size());
    std::transform(samples.begin(), samples.end(), pcm.begin(), [gain](double s) { return float(s * gain); });

    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    int mode = SF_BITRATE_MODE_VARIABLE;
    sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    double level = 0.5; // VBR quality: 0 best .. 1 smallest
    sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    const sf_count_t written = sf_writef_float(file, pcm.data(), sf_count_t(pcm.size()));
    const bool ok = written == sf_count_t(pcm.size());
    if (!ok)
        std::fprintf(stderr, "%s: %s\n", path.c_str(), sf_strerror(file));
    sf_close(file);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    const bool effects = argc == 3 && std::string(argv[1]) == "--effects";
    if (argc != 2 && !effects) {
        std::fprintf(stderr, "usage: %s [--effects] OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[argc - 1];
    std::vector<std::pair<const char*, Buffer>> sounds;
    if (effects) {
        sounds = {{"blip", blipSound()}, {"sweep", sweepSound()}, {"drop", dropSound()}};
    } else {
        sounds = {{"bird-sound", birdSound()},
                  {"soft-chime-sound", softChimeSound()},
                  {"bell-sound", bellSound()},
                  {"marimba-sound", marimbaSound()}};
    }
    bool ok = true;
    for (const auto& [name, buffer] : sounds) {
        const std::string path = dir + "/" + name + ".mp3";
        if (writeMp3(path, buffer))
            std::printf("wrote %s\n", path.c_str());
        else
            ok = false;
    }
    return ok ? 0 : 1;
}
