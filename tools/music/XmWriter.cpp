#include "XmWriter.h"

#include <stdexcept>

namespace music {

XmPattern::XmPattern(int rowCount, int channelCount)
    : rows(rowCount), channels(channelCount),
      cells(static_cast<std::size_t>(rowCount) * static_cast<std::size_t>(channelCount))
{
}

XmCell& XmPattern::At(int row, int channel)
{
    return cells.at(static_cast<std::size_t>(row * channels + channel));
}

namespace {

class ByteSink {
public:
    void U8(unsigned v) { bytes_.push_back(static_cast<std::uint8_t>(v & 0xFF)); }
    void U16(unsigned v)
    {
        U8(v);
        U8(v >> 8);
    }
    void U32(std::uint32_t v)
    {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    // A fixed-width text field, padded with `pad`; longer text is cut.
    void Text(const std::string& text, std::size_t width, char pad)
    {
        for (std::size_t i = 0; i < width; ++i) U8(static_cast<unsigned char>(i < text.size() ? text[i] : pad));
    }
    void Append(const std::vector<std::uint8_t>& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

void Require(bool ok, const char* what)
{
    if (!ok) throw std::invalid_argument(what);
}

std::vector<std::uint8_t> PackCells(const XmPattern& pattern)
{
    ByteSink out;
    for (const XmCell& cell : pattern.cells) {
        const unsigned flags = (cell.note ? 0x01u : 0u) | (cell.instrument ? 0x02u : 0u) | (cell.volume ? 0x04u : 0u) |
                               (cell.effect ? 0x08u : 0u) | (cell.param ? 0x10u : 0u);
        out.U8(0x80 | flags); // empty cells stay one byte: readers need every cell present
        if (cell.note) out.U8(cell.note);
        if (cell.instrument) out.U8(cell.instrument);
        if (cell.volume) out.U8(cell.volume);
        if (cell.effect) out.U8(cell.effect);
        if (cell.param) out.U8(cell.param);
    }
    return out.Take();
}

void WritePattern(ByteSink& out, const XmPattern& pattern, int channels)
{
    Require(pattern.rows >= 1 && pattern.rows <= 256, "pattern rows out of 1..256");
    Require(pattern.channels == channels, "pattern channel count differs from the module");
    Require(pattern.cells.size() == static_cast<std::size_t>(pattern.rows * channels),
            "pattern cell count is not rows x channels");
    for (const XmCell& cell : pattern.cells) Require(cell.note <= kKeyOff, "note out of range");
    const std::vector<std::uint8_t> packed = PackCells(pattern);
    Require(packed.size() <= 0xFFFF, "packed pattern too large");
    out.U32(9);
    out.U8(0);
    out.U16(static_cast<unsigned>(pattern.rows));
    out.U16(static_cast<unsigned>(packed.size()));
    out.Append(packed);
}

void WriteEnvelopePoints(ByteSink& out, const XmEnvelope& envelope)
{
    for (std::size_t i = 0; i < 12; ++i) {
        const bool used = i < envelope.points.size();
        out.U16(used ? envelope.points[i].first : 0);
        out.U16(used ? envelope.points[i].second : 0);
    }
}

unsigned EnvelopeType(const XmEnvelope& envelope)
{
    if (envelope.points.empty()) return 0;
    return 1u | (envelope.sustain >= 0 ? 2u : 0u) | (envelope.loopStart >= 0 ? 4u : 0u);
}

unsigned IndexOrZero(int index)
{
    return index >= 0 ? static_cast<unsigned>(index) : 0u;
}

void WriteInstrument(ByteSink& out, const XmInstrument& instrument)
{
    const XmEnvelope& env = instrument.volumeEnvelope;
    const XmSample& sample = instrument.sample;
    Require(env.points.size() <= 12, "more than 12 envelope points");
    Require(env.points.empty() || env.points.front().first == 0, "envelope must start at tick 0");
    Require(!sample.pcm.empty(), "instrument without sample data");
    Require(sample.loopStart + sample.loopLength <= sample.pcm.size(), "loop past the sample end");
    Require(sample.volume <= 64, "sample volume above 64");
    Require(instrument.fadeout <= 0xFFF, "fadeout above 0xFFF");

    out.U32(263);
    out.Text(instrument.name, 22, '\0');
    out.U8(0);
    out.U16(1);
    out.U32(40);
    for (int note = 0; note < 96; ++note) out.U8(0); // every note plays sample 0
    WriteEnvelopePoints(out, env);
    WriteEnvelopePoints(out, XmEnvelope{});
    out.U8(static_cast<unsigned>(env.points.size()));
    out.U8(0);
    out.U8(IndexOrZero(env.sustain));
    out.U8(IndexOrZero(env.loopStart));
    out.U8(IndexOrZero(env.loopEnd));
    out.U8(0);
    out.U8(0);
    out.U8(0);
    out.U8(EnvelopeType(env));
    out.U8(0);
    out.U8(instrument.vibratoType);
    out.U8(instrument.vibratoSweep);
    out.U8(instrument.vibratoDepth);
    out.U8(instrument.vibratoRate);
    out.U16(instrument.fadeout);
    for (int i = 0; i < 22; ++i) out.U8(0);

    // Sample header: lengths are in bytes, two per 16-bit frame.
    out.U32(static_cast<std::uint32_t>(sample.pcm.size() * 2));
    out.U32(sample.loopStart * 2);
    out.U32(sample.loopLength * 2);
    out.U8(sample.volume);
    out.U8(static_cast<std::uint8_t>(sample.finetune));
    out.U8(0x10u | (sample.loopLength > 0 ? 1u : 0u));
    out.U8(sample.panning);
    out.U8(static_cast<std::uint8_t>(sample.relativeNote));
    out.U8(0);
    out.Text(sample.name, 22, '\0');

    // Sample data as deltas, wrapping modulo 65536.
    std::uint16_t previous = 0;
    for (std::int16_t value : sample.pcm) {
        const auto current = static_cast<std::uint16_t>(value);
        out.U16(static_cast<std::uint16_t>(current - previous));
        previous = current;
    }
}

} // namespace

std::vector<std::uint8_t> WriteXm(const XmModule& module)
{
    Require(!module.orders.empty() && module.orders.size() <= 256, "song length out of 1..256");
    Require(module.restartPosition >= 0 && static_cast<std::size_t>(module.restartPosition) < module.orders.size(),
            "restart position past the song");
    Require(module.channels >= 2 && module.channels <= 32 && module.channels % 2 == 0,
            "channel count must be even, 2..32");
    Require(!module.patterns.empty() && module.patterns.size() <= 256, "pattern count out of range");
    Require(module.instruments.size() <= 128, "more than 128 instruments");
    Require(module.speed >= 1 && module.speed <= 31, "speed out of 1..31");
    Require(module.bpm >= 32 && module.bpm <= 255, "BPM out of 32..255");
    for (std::uint8_t order : module.orders) Require(order < module.patterns.size(), "order names a missing pattern");
    for (const XmPattern& pattern : module.patterns)
        for (const XmCell& cell : pattern.cells)
            Require(cell.instrument <= module.instruments.size(), "cell names a missing instrument");

    ByteSink out;
    out.Text("Extended Module: ", 17, ' ');
    out.Text(module.name, 20, ' ');
    out.U8(0x1A);
    out.Text("FastTracker v2.00", 20, ' ');
    out.U16(0x0104);
    out.U32(276);
    out.U16(static_cast<unsigned>(module.orders.size()));
    out.U16(static_cast<unsigned>(module.restartPosition));
    out.U16(static_cast<unsigned>(module.channels));
    out.U16(static_cast<unsigned>(module.patterns.size()));
    out.U16(static_cast<unsigned>(module.instruments.size()));
    out.U16(1); // linear frequency table
    out.U16(static_cast<unsigned>(module.speed));
    out.U16(static_cast<unsigned>(module.bpm));
    for (std::size_t i = 0; i < 256; ++i) out.U8(i < module.orders.size() ? module.orders[i] : 0);

    for (const XmPattern& pattern : module.patterns) WritePattern(out, pattern, module.channels);
    for (const XmInstrument& instrument : module.instruments) WriteInstrument(out, instrument);
    return out.Take();
}

} // namespace music
