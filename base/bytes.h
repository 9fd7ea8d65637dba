// The one way file bytes are read and written: little-endian, bounds-checked.
//
// ByteReader never reads past the end it was given. A read that does not fit
// returns zero (or leaves the destination zeroed), moves nothing and clears
// ok() for good, so a reader can take a whole record and check ok() once.
// ByteWriter appends to a vector and can patch values at earlier offsets
// (offset tables written before the records they point at).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
    explicit ByteReader(const std::vector<uint8_t>& v) : ByteReader(v.data(), v.size()) {}

    bool ok() const { return ok_; }
    size_t size() const { return size_; }
    size_t tell() const { return pos_; }
    size_t remaining() const { return size_ - pos_; }
    bool has(size_t n) const { return n <= remaining(); }
    const uint8_t* data() const { return data_; }

    // Moves to an absolute offset; an offset past the end fails and stays put.
    bool seek(size_t pos) {
        if (pos > size_) return fail();
        pos_ = pos;
        return true;
    }
    bool skip(size_t n) {
        if (!has(n)) return fail();
        pos_ += n;
        return true;
    }

    uint8_t u8() {
        if (!has(1)) return fail(), 0;
        return data_[pos_++];
    }
    uint16_t u16() {
        if (!has(2)) return fail(), 0;
        uint16_t v = uint16_t(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    uint32_t u32() {
        if (!has(4)) return fail(), 0;
        uint32_t v = uint32_t(data_[pos_]) | (uint32_t(data_[pos_ + 1]) << 8) |
                     (uint32_t(data_[pos_ + 2]) << 16) | (uint32_t(data_[pos_ + 3]) << 24);
        pos_ += 4;
        return v;
    }
    int8_t i8() { return int8_t(u8()); }
    int16_t i16() { return int16_t(u16()); }
    int32_t i32() { return int32_t(u32()); }

    // Copies n bytes; on a short source the destination is zeroed and nothing moves.
    bool bytes(void* dst, size_t n) {
        if (!has(n)) {
            if (dst && n) std::memset(dst, 0, n);
            return fail();
        }
        if (n) std::memcpy(dst, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    // Pointer to the next n bytes without copying, or nullptr when they are not there.
    const uint8_t* view(size_t n) {
        if (!has(n)) return fail(), nullptr;
        const uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }

private:
    bool fail() {
        ok_ = false;
        return false;
    }
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool ok_ = true;
};

class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}

    size_t tell() const { return out_.size(); }
    std::vector<uint8_t>& buffer() { return out_; }

    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v) {
        out_.push_back(uint8_t(v));
        out_.push_back(uint8_t(v >> 8));
    }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) out_.push_back(uint8_t(v >> (8 * i)));
    }
    void i8(int8_t v) { u8(uint8_t(v)); }
    void i16(int16_t v) { u16(uint16_t(v)); }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void bytes(const void* src, size_t n) {
        if (!n) return;
        const uint8_t* p = static_cast<const uint8_t*>(src);
        out_.insert(out_.end(), p, p + n);
    }
    // Appends n copies of a fill byte (reserved fields, fixed-size heads).
    void padding(size_t n, uint8_t fill = 0) { out_.insert(out_.end(), n, fill); }
    // Grows with the fill byte until the buffer is at least `size` long.
    void padTo(size_t size, uint8_t fill = 0) {
        if (out_.size() < size) out_.resize(size, fill);
    }

    // Patches values already written; false when they would not fit.
    bool putU8At(size_t pos, uint8_t v) {
        if (pos >= out_.size()) return false;
        out_[pos] = v;
        return true;
    }
    bool putU16At(size_t pos, uint16_t v) {
        if (pos + 2 > out_.size() || pos + 2 < pos) return false;
        out_[pos] = uint8_t(v);
        out_[pos + 1] = uint8_t(v >> 8);
        return true;
    }
    bool putU32At(size_t pos, uint32_t v) {
        if (pos + 4 > out_.size() || pos + 4 < pos) return false;
        for (int i = 0; i < 4; ++i) out_[pos + i] = uint8_t(v >> (8 * i));
        return true;
    }
    bool putBytesAt(size_t pos, const void* src, size_t n) {
        if (pos > out_.size() || n > out_.size() - pos) return false;
        if (n) std::memcpy(out_.data() + pos, src, n);
        return true;
    }

private:
    std::vector<uint8_t>& out_;
};
