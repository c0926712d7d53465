#include "telephony/sip/SipToneDetector.h"

#include "platform/audio/PcmConvert.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

constexpr std::array<double, 4> kRows{697, 770, 852, 941};
constexpr std::array<double, 4> kColumns{1209, 1336, 1477, 1633};
constexpr char kKeys[4][4] = {
    {'1', '2', '3', 'A'}, {'4', '5', '6', 'B'}, {'7', '8', '9', 'C'}, {'*', '0', '#', 'D'}};
constexpr double kSampleRate = 8000;
constexpr size_t kMinSamples = 100; // under this a packet is not judged
constexpr double kMinLevel = 400.0; // RMS of a tone pair, about -38 dBm0: quieter is noise
constexpr double kTwist = 8.0;      // a row and a column tone differ by at most ~9 dB in power
constexpr double kDominance = 6.0;  // the strongest of a group beats the next by ~8 dB
constexpr double kToneShare = 0.6;  // the two tones hold most of the packet's power

// Power of one frequency over the samples (Goertzel), scaled to compare with the mean square.
double power(const std::array<float, 160>& x, size_t n, double frequency) {
    const double coefficient = 2.0 * std::cos(2.0 * M_PI * frequency / kSampleRate);
    double s1 = 0;
    double s2 = 0;
    for (size_t i = 0; i < n; ++i) {
        const double s = x[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double p = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2.0 * p / (double(n) * double(n));
}

// Index of the strongest of four powers, and whether it stands out from the rest.
int strongest(const std::array<double, 4>& p) {
    const auto top = std::max_element(p.begin(), p.end());
    for (auto it = p.begin(); it != p.end(); ++it) {
        if (it != top && *it * kDominance > *top)
            return -1;
    }
    return int(top - p.begin());
}

} // namespace

char SipToneDetector::feed(const uint8_t* payload, size_t size) {
    const char key = classify(payload, size);
    const char previous = std::exchange(m_candidate, key);
    if (key == 0) {
        m_reported = 0;
        return 0;
    }
    if (key != previous || key == m_reported)
        return 0;
    m_reported = key;
    return key;
}

char SipToneDetector::classify(const uint8_t* payload, size_t size) const {
    std::array<float, 160> x{};
    const size_t n = std::min(size, x.size());
    if (n < kMinSamples)
        return 0;
    double energy = 0;
    for (size_t i = 0; i < n; ++i) {
        x[i] = m_aLaw ? ALawToLinear(payload[i]) : MuLawToLinear(payload[i]);
        energy += double(x[i]) * x[i];
    }
    energy /= double(n);
    if (energy < kMinLevel * kMinLevel)
        return 0;
    std::array<double, 4> rows{};
    std::array<double, 4> columns{};
    for (size_t i = 0; i < 4; ++i) {
        rows[i] = power(x, n, kRows[i]);
        columns[i] = power(x, n, kColumns[i]);
    }
    const int r = strongest(rows);
    const int c = strongest(columns);
    if (r < 0 || c < 0)
        return 0;
    const double pr = rows[size_t(r)];
    const double pc = columns[size_t(c)];
    if (pr > pc * kTwist || pc > pr * kTwist || pr + pc < kToneShare * energy)
        return 0;
    return kKeys[r][c];
}
