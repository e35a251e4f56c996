#pragma once
// Reads the fields of one received record. The record is whatever bytes
// arrived, possibly fewer than its layout: every byte past them reads as
// zero, exactly as if they had been received into a zero-filled buffer, and
// no read ever looks outside the bytes given.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ostiva::wire {

class RecordReader {
  public:
    explicit RecordReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint8_t Byte(size_t offset) const { return offset < bytes_.size() ? bytes_[offset] : 0; }
    uint16_t U16(size_t offset) const;
    uint32_t U32(size_t offset) const;
    int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }

    // The text of the slot of `units` UTF-16LE units at `offset`, up to its
    // first zero unit or the slot's end, whichever comes first.
    std::u16string Text(size_t offset, size_t units) const;

    size_t size() const { return bytes_.size(); }

  private:
    std::span<const uint8_t> bytes_;
};

}  // namespace ostiva::wire
