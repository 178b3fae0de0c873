#pragma once
// Bounds-checked readers and writers for every byte layout we parse or build: the wire
// (big-endian) and the monitor file (little-endian). No other code does pointer arithmetic
// on outside bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace pm {

class ByteReader {
  public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit ByteReader(std::span<const uint8_t> bytes)
        : data_(bytes.data()), size_(bytes.size()) {}

    size_t Position() const { return pos_; }
    size_t Left() const { return size_ - pos_; }
    bool CanRead(size_t n) const { return n <= Left(); }
    bool Skip(size_t n) {
        if (!CanRead(n))
            return false;
        pos_ += n;
        return true;
    }
    // Each reader returns false and leaves the position alone when too few bytes are left.
    bool U8(uint8_t& v) {
        if (!CanRead(1))
            return false;
        v = data_[pos_++];
        return true;
    }
    bool U16be(uint16_t& v) {
        if (!CanRead(2))
            return false;
        v = static_cast<uint16_t>(data_[pos_] << 8 | data_[pos_ + 1]);
        pos_ += 2;
        return true;
    }
    bool U32be(uint32_t& v) {
        if (!CanRead(4))
            return false;
        v = static_cast<uint32_t>(data_[pos_]) << 24 |
            static_cast<uint32_t>(data_[pos_ + 1]) << 16 |
            static_cast<uint32_t>(data_[pos_ + 2]) << 8 | data_[pos_ + 3];
        pos_ += 4;
        return true;
    }
    bool U16le(uint16_t& v) {
        if (!CanRead(2))
            return false;
        v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }
    bool U32le(uint32_t& v) {
        if (!CanRead(4))
            return false;
        v = static_cast<uint32_t>(data_[pos_]) | static_cast<uint32_t>(data_[pos_ + 1]) << 8 |
            static_cast<uint32_t>(data_[pos_ + 2]) << 16 |
            static_cast<uint32_t>(data_[pos_ + 3]) << 24;
        pos_ += 4;
        return true;
    }
    bool Bytes(uint8_t* out, size_t n) {
        if (!CanRead(n))
            return false;
        if (n)
            std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    // A view of the next n bytes without consuming them.
    std::span<const uint8_t> Peek(size_t n) const {
        return CanRead(n) ? std::span<const uint8_t>(data_ + pos_, n) : std::span<const uint8_t>();
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class ByteWriter {
  public:
    ByteWriter(uint8_t* buffer, size_t capacity) : buf_(buffer), cap_(capacity) {}
    explicit ByteWriter(std::span<uint8_t> buffer) : buf_(buffer.data()), cap_(buffer.size()) {}

    size_t Position() const { return pos_; }
    bool Ok() const { return ok_; }  // false once any write did not fit
    size_t Left() const { return cap_ - pos_; }
    void Seek(size_t pos) {
        if (pos <= cap_)
            pos_ = pos;
        else
            ok_ = false;
    }

    ByteWriter& U8(uint8_t v) {
        if (Fits(1))
            buf_[pos_++] = v;
        return *this;
    }
    ByteWriter& U16be(uint16_t v) {
        if (Fits(2)) {
            buf_[pos_++] = static_cast<uint8_t>(v >> 8);
            buf_[pos_++] = static_cast<uint8_t>(v);
        }
        return *this;
    }
    ByteWriter& U32be(uint32_t v) {
        if (Fits(4)) {
            for (int shift = 24; shift >= 0; shift -= 8)
                buf_[pos_++] = static_cast<uint8_t>(v >> shift);
        }
        return *this;
    }
    ByteWriter& U16le(uint16_t v) {
        if (Fits(2)) {
            buf_[pos_++] = static_cast<uint8_t>(v);
            buf_[pos_++] = static_cast<uint8_t>(v >> 8);
        }
        return *this;
    }
    ByteWriter& U32le(uint32_t v) {
        if (Fits(4)) {
            for (int shift = 0; shift <= 24; shift += 8)
                buf_[pos_++] = static_cast<uint8_t>(v >> shift);
        }
        return *this;
    }
    ByteWriter& Bytes(const uint8_t* data, size_t n) {
        if (Fits(n) && n) {
            std::memcpy(buf_ + pos_, data, n);
            pos_ += n;
        }
        return *this;
    }
    ByteWriter& Text(std::string_view s) {
        return Bytes(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    }
    ByteWriter& Zeros(size_t n) {
        if (Fits(n)) {
            std::memset(buf_ + pos_, 0, n);
            pos_ += n;
        }
        return *this;
    }

  private:
    bool Fits(size_t n) {
        if (!ok_ || n > cap_ - pos_) {
            ok_ = false;
            return false;
        }
        return true;
    }
    uint8_t* buf_;
    size_t cap_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace pm
