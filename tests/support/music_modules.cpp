#include "support/music_modules.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Little-endian byte writer.
struct Bytes {
    std::string out;
    void u8(unsigned v) { out += static_cast<char>(v & 0xff); }
    void u16(unsigned v) { u8(v), u8(v >> 8); }
    void u32(uint32_t v) { u16(v & 0xffff), u16(v >> 16); }
    void text(const std::string& s, size_t size) {
        for (size_t i = 0; i < size; i++) u8(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
    }
    void zeros(size_t n) { out.append(n, '\0'); }
    void put32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
    }
};

// One period of a square wave, signed 8-bit: looped, it sounds at 8363 / 32 Hz
// times the note's pitch ratio.
const int kPeriod = 32;
std::vector<int8_t> squareWave() {
    std::vector<int8_t> wave(kPeriod);
    for (int i = 0; i < kPeriod; i++) wave[i] = i < kPeriod / 2 ? 96 : -96;
    return wave;
}

const int kSpeed = 6;   // ticks per row
const int kTempo = 125; // BPM: 8 rows of 6 ticks last about a second
const int kStepTempo = 120;  // 8 rows of 6 ticks last a second exactly
const int kRowsPerSecond = 8;
// Semitones above the first note, one per second of the step modules.
const int kSteps[kStepSeconds] = {0, 4, 7, 12, 16};
const int kKeyOff = 97;  // an XM note that ends the one playing

// A note at the start of each second, the rest of its rows empty.
std::vector<int> stepRows(int first) {
    std::vector<int> rows;
    for (int step : kSteps) {
        rows.push_back(first + step);
        rows.resize(rows.size() + kRowsPerSecond - 1, 0);
    }
    return rows;
}

// One note per row, 0 for none: a module of notes.size() rows (at most 256).
std::string xmWith(const std::vector<int>& notes, int tempo) {
    Bytes b;
    b.text("Extended Module: ", 17);
    b.text("korvane test", 20);
    b.u8(0x1a);
    b.text("korvane tests", 20);
    b.u16(0x0104);
    b.u32(276);          // header size, counted from this field
    b.u16(1);            // song length in orders
    b.u16(0);            // restart position
    b.u16(2);            // channels
    b.u16(1);            // patterns
    b.u16(1);            // instruments
    b.u16(1);            // linear frequency table
    b.u16(kSpeed);
    b.u16(tempo);
    b.zeros(256);        // order table: pattern 0 only

    // Pattern 0: the notes on channel 0, nothing on channel 1.
    Bytes cells;
    for (size_t row = 0; row < notes.size(); row++) {
        if (notes[row] == kKeyOff) {
            cells.u8(0x81), cells.u8(kKeyOff);  // packed: the note alone
        } else if (notes[row]) {
            cells.u8(notes[row]), cells.u8(1), cells.u8(0), cells.u8(0), cells.u8(0);
        } else {
            cells.u8(0x80);  // packed: an empty cell
        }
        cells.u8(0x80);
    }
    b.u32(9);
    b.u8(0);
    b.u16(static_cast<unsigned>(notes.size()));
    b.u16(static_cast<unsigned>(cells.out.size()));
    b.out += cells.out;

    // Instrument 1 with one sample.
    const size_t instrument = b.out.size();
    b.u32(263);
    b.text("square", 22);
    b.u8(0);
    b.u16(1);
    b.u32(40);           // sample header size
    b.zeros(96);         // every note plays sample 0
    b.zeros(48 + 48);    // no envelopes
    b.zeros(2 + 6 + 2 + 4);
    b.u16(0);            // fadeout
    b.zeros(instrument + 263 - b.out.size());

    const std::vector<int8_t> wave = squareWave();
    b.u32(kPeriod);      // length in bytes
    b.u32(0);            // loop start
    b.u32(kPeriod);      // loop length
    b.u8(64);            // volume
    b.u8(0);             // finetune
    b.u8(1);             // forward loop, 8-bit
    b.u8(128);           // panning
    b.u8(0);             // relative note
    b.u8(0);
    b.text("square", 22);
    int8_t previous = 0;  // XM samples are stored as differences
    for (int8_t s : wave) {
        b.u8(static_cast<uint8_t>(s - previous));
        previous = s;
    }
    return b.out;
}

std::string itWith(const std::vector<int>& notes, int tempo) {
    const int orders = 2, samples = 1, patterns = 1;
    Bytes b;
    b.text("IMPM", 4);
    b.text("korvane test", 26);
    b.u16(0x1004);       // row highlight
    b.u16(orders);
    b.u16(0);            // instruments: none, samples are played directly
    b.u16(samples);
    b.u16(patterns);
    b.u16(0x0214);       // written by
    b.u16(0x0200);       // compatible with
    b.u16(0x0009);       // stereo, linear slides, sample mode
    b.u16(0);
    b.u8(128);           // global volume
    b.u8(48);            // mix volume
    b.u8(kSpeed);
    b.u8(tempo);
    b.u8(128);           // panning separation
    b.u8(0);
    b.u16(0);            // no message
    b.u32(0);
    b.u32(0);
    for (int c = 0; c < 64; c++) b.u8(c == 0 ? 32 : 32 | 128);  // channel 0 centred, the rest off
    for (int c = 0; c < 64; c++) b.u8(64);
    b.u8(0), b.u8(255);  // order list: pattern 0, end
    const size_t sampleOffset = b.out.size();
    b.u32(0);
    const size_t patternOffset = b.out.size();
    b.u32(0);

    const std::vector<int8_t> wave = squareWave();
    b.put32(sampleOffset, static_cast<uint32_t>(b.out.size()));
    b.text("IMPS", 4);
    b.text("square.raw", 12);
    b.u8(0);
    b.u8(64);            // global volume
    b.u8(0x11);          // sample present, looped
    b.u8(64);            // volume
    b.text("square", 26);
    b.u8(1);             // signed samples
    b.u8(32);            // default pan (unused)
    b.u32(kPeriod);      // length
    b.u32(0);            // loop begin
    b.u32(kPeriod);      // loop end
    b.u32(8363);         // C-5 speed
    b.u32(0), b.u32(0);  // sustain loop
    const size_t dataPointer = b.out.size();
    b.u32(0);
    b.u8(0), b.u8(0), b.u8(0), b.u8(0);  // no vibrato
    b.put32(dataPointer, static_cast<uint32_t>(b.out.size()));
    for (int8_t s : wave) b.u8(static_cast<uint8_t>(s));

    // Pattern 0: the notes on channel 0.
    Bytes cells;
    for (size_t row = 0; row < notes.size(); row++) {
        if (notes[row]) cells.u8(0x81), cells.u8(0x03), cells.u8(notes[row]), cells.u8(1);
        cells.u8(0);  // end of row
    }
    b.put32(patternOffset, static_cast<uint32_t>(b.out.size()));
    b.u16(static_cast<unsigned>(cells.out.size()));
    b.u16(static_cast<unsigned>(notes.size()));
    b.u32(0);
    b.out += cells.out;
    return b.out;
}

}  // namespace

std::string xmModule() { return xmWith({49, 0, 53, 0, 56, 0, 61, 0}, kTempo); }  // C-4 E-4 G-4 C-5
std::string itModule() { return itWith({60, 0, 64, 0, 67, 0, 72, 0}, kTempo); }  // C-5 E-5 G-5 C-6
std::string xmSteps() { return xmWith(stepRows(49), kStepTempo); }
std::string itSteps() { return itWith(stepRows(60), kStepTempo); }

std::string xmPulses(int bpm, int emptyRows, int beats) {
    std::vector<int> rows(size_t(emptyRows), 0);
    for (int b = 0; b < beats; b++) rows.insert(rows.end(), {61, kKeyOff, 0, 0});  // C-5, cut a row later
    return xmWith(rows, bpm);
}

// XM's C-4 and IT's C-5 play the sample at 8363 Hz, which is kPeriod samples long.
double stepFrequency(int second) { return 8363.0 / kPeriod * std::pow(2.0, kSteps[second] / 12.0); }
