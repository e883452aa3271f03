// Test support: WAV files in and out, and tone levels measured by Goertzel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kRate = 48000;

// A 48 kHz mono 16-bit WAV of a sine of the given peak amplitude.
bool WriteToneWav(const std::string& path, double hertz, double amplitude, double seconds);
// Samples of a mono WAV (empty if it cannot be read).
std::vector<int16_t> ReadWav(const std::string& path);

// Peak amplitude of the hertz component in samples[begin, begin + count).
double ToneAmplitude(const std::vector<int16_t>& samples, size_t begin, size_t count, double hertz);

// Tone amplitude in consecutive windows of windowSamples.
std::vector<double> ToneLevels(const std::vector<int16_t>& samples, double hertz,
                               size_t windowSamples);

// Root mean square of samples[begin, begin + count).
double Rms(const std::vector<int16_t>& samples, size_t begin, size_t count);
