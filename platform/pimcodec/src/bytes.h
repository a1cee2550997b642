// Bounds-checked little-endian reading and writing for the codec's layouts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pimcodec {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t pos() const { return pos_; }
    size_t remaining() const { return size_ - pos_; }
    bool Seek(size_t pos) {
        if (pos > size_) return false;
        pos_ = pos;
        return true;
    }
    bool Skip(size_t n) {
        if (n > remaining()) return false;
        pos_ += n;
        return true;
    }
    bool U16(uint16_t* v) {
        if (remaining() < 2) return false;
        *v = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }
    bool U32(uint32_t* v) {
        if (remaining() < 4) return false;
        *v = uint32_t(data_[pos_]) | uint32_t(data_[pos_ + 1]) << 8 |
             uint32_t(data_[pos_ + 2]) << 16 | uint32_t(data_[pos_ + 3]) << 24;
        pos_ += 4;
        return true;
    }
    bool I32(int32_t* v) {
        uint32_t u;
        if (!U32(&u)) return false;
        *v = int32_t(u);
        return true;
    }
    bool Bytes(size_t n, std::vector<uint8_t>* out) {
        if (n > remaining()) return false;
        out->assign(data_ + pos_, data_ + pos_ + n);
        pos_ += n;
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class Writer {
public:
    void U16(uint16_t v) {
        buf_.push_back(uint8_t(v));
        buf_.push_back(uint8_t(v >> 8));
    }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) buf_.push_back(uint8_t(v >> (8 * i)));
    }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void Bytes(const std::vector<uint8_t>& b) { buf_.insert(buf_.end(), b.begin(), b.end()); }
    std::vector<uint8_t>& buf() { return buf_; }

private:
    std::vector<uint8_t> buf_;
};

}  // namespace pimcodec
