// A tiny XM module written on the spot, so that the music tests do not
// depend on the asset pack: it sounds from its first row and, played with
// looping on, never falls silent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testxm {

class Bytes {
public:
    void U8(int v) { data.push_back(static_cast<std::uint8_t>(v)); }
    void U16(int v)
    {
        U8(v & 0xFF);
        U8((v >> 8) & 0xFF);
    }
    void U32(std::uint32_t v)
    {
        U16(static_cast<int>(v & 0xFFFF));
        U16(static_cast<int>(v >> 16));
    }
    void Text(const std::string& s, std::size_t width)
    {
        for (std::size_t i = 0; i < width; ++i) U8(i < s.size() ? s[i] : 0);
    }
    void Zeros(std::size_t n) { data.insert(data.end(), n, 0); }
    std::vector<std::uint8_t> data;
};

// A two-channel XM: one pattern of four rows (0.48 s) that strikes C-4 on a
// looping 32-sample square wave. One pass of the song is shorter than the
// sound the tests wait for, so hearing more proves the song loops.
inline std::vector<std::uint8_t> SquareWaveModule()
{
    Bytes b;
    b.Text("Extended Module: ", 17);
    b.Text("square", 20);
    b.U8(0x1A);
    b.Text("FastTracker v2.00   ", 20);
    b.U16(0x0104);
    b.U32(276);
    b.U16(1);     // song length
    b.U16(0);     // restart position
    b.U16(2);     // channels
    b.U16(1);     // patterns
    b.U16(1);     // instruments
    b.U16(1);     // linear frequency table
    b.U16(6);     // speed
    b.U16(125);   // BPM
    b.Zeros(256); // order table: pattern 0

    const std::vector<int> cells = {49, 1, 0, 0, 0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
    b.U32(9);
    b.U8(0);
    b.U16(4);
    b.U16(static_cast<int>(cells.size()));
    for (int c : cells) b.U8(c);

    b.U32(263);
    b.Text("square", 22);
    b.U8(0);
    b.U16(1);
    b.U32(40);
    b.Zeros(96 + 48 + 48 + 2 + 6 + 2 + 4);
    b.U16(0); // fadeout
    b.Zeros(22);

    b.U32(32); // length
    b.U32(0);  // loop start
    b.U32(32); // loop length
    b.U8(64);  // volume
    b.U8(0);   // finetune
    b.U8(1);   // forward loop, 8-bit
    b.U8(128); // panning
    b.U8(0);   // relative note
    b.U8(0);
    b.Text("square", 22);
    // +64 for 16 samples, -64 for 16, stored as deltas.
    for (int i = 0; i < 32; ++i) b.U8(i == 0 ? 64 : (i == 16 ? -128 : 0));
    return b.data;
}

} // namespace testxm
