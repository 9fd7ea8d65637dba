#include "tools/rle_writer.h"

#include "base/bytes.h"

RleWriter::RleWriter(int width, int height, int depth) : depth_(depth) {
    ByteWriter w(out_);
    w.u16(0xFFFF);
    w.u16(static_cast<uint16_t>(width));
    w.u16(static_cast<uint16_t>(height));
    w.u16(static_cast<uint16_t>(depth));
}

void RleWriter::CloseRow() {
    if (rowStart_ < 0) return;
    ByteWriter w(out_);
    w.u16(0);
    const size_t bytes = out_.size() - static_cast<size_t>(rowStart_);
    const uint16_t length = rowLength_ >= 0 ? static_cast<uint16_t>(rowLength_)
                                            : static_cast<uint16_t>(bytes | (opaqueStart_ ? 0x8000 : 0));
    w.putU16At(static_cast<size_t>(rowStart_), length);
    rowStart_ = -1;
    rowLength_ = -1;
}

RleWriter& RleWriter::Row() {
    CloseRow();
    rowStart_ = static_cast<long>(out_.size());
    firstRun_ = true;
    opaqueStart_ = false;
    ByteWriter(out_).u16(0);
    return *this;
}

RleWriter& RleWriter::Literal(const std::vector<uint16_t>& pixels) {
    if (firstRun_) opaqueStart_ = true;
    firstRun_ = false;
    ByteWriter w(out_);
    w.u16(static_cast<uint16_t>(pixels.size()));
    for (uint16_t p : pixels) w.u16(p);
    return *this;
}

RleWriter& RleWriter::Literal8(const std::vector<uint8_t>& indices) {
    if (firstRun_) opaqueStart_ = true;
    firstRun_ = false;
    ByteWriter w(out_);
    w.u16(static_cast<uint16_t>(indices.size()));
    w.bytes(indices.data(), indices.size());
    return *this;
}

RleWriter& RleWriter::Shadow(int n) { return Word(static_cast<uint16_t>(0x8000 | n)); }

RleWriter& RleWriter::Key(int n) {
    ByteWriter(out_).putU16At(6, static_cast<uint16_t>(depth_ | 0x8000));
    return Word(static_cast<uint16_t>(0xC000 | n));
}

RleWriter& RleWriter::Skip(int n) { return Word(static_cast<uint16_t>(0x4000 | n)); }

RleWriter& RleWriter::Word(uint16_t word) {
    firstRun_ = false;
    ByteWriter(out_).u16(word);
    return *this;
}

RleWriter& RleWriter::RowLength(int bytes) {
    rowLength_ = bytes;
    return *this;
}

std::vector<uint8_t> RleWriter::Finish() {
    CloseRow();
    ByteWriter(out_).u16(0);
    return out_;
}

namespace {

template <class Pixel>
void WriteRows(RleWriter& w, const std::vector<Pixel>& pixels, int width, int height, Pixel key, Pixel shadow) {
    for (int y = 0; y < height; ++y) {
        w.Row();
        const Pixel* row = pixels.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width;) {
            int end = x;
            if (row[x] == key || row[x] == shadow) {
                while (end < width && row[end] == row[x]) ++end;
                if (row[x] == key) w.Key(end - x);
                else w.Shadow(end - x);
            } else {
                while (end < width && row[end] != key && row[end] != shadow) ++end;
                if constexpr (sizeof(Pixel) == 2) w.Literal(std::vector<uint16_t>(row + x, row + end));
                else w.Literal8(std::vector<uint8_t>(row + x, row + end));
            }
            x = end;
        }
    }
}

}  // namespace

std::vector<uint8_t> RleFromPixels(const std::vector<uint16_t>& pixels, int width, int height) {
    RleWriter w(width, height, 16);
    WriteRows<uint16_t>(w, pixels, width, height, 0x026B, 0x319F);
    return w.Finish();
}

std::vector<uint8_t> RleFromIndices(const std::vector<uint8_t>& indices, int width, int height) {
    RleWriter w(width, height, 8);
    WriteRows<uint8_t>(w, indices, width, height, 1, 3);
    return w.Finish();
}
