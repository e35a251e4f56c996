#pragma once
// Builds one fixed-size record in a zero-filled buffer. Every write is
// clipped to the record: a field that does not fit is written as far as it
// fits and no further, so a wrong offset can spoil a record but never the
// memory around it.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace ostiva::wire {

// How a text slot ends when the text fills it.
enum class SlotEnd {
    Zero,  // the last unit stays zero: at most units - 1 are written
    Full,  // the text may fill every unit of the slot
};

class RecordWriter {
  public:
    explicit RecordWriter(size_t size) : bytes_(size, 0) {}

    void PutU16(size_t offset, uint16_t value);
    void PutU32(size_t offset, uint32_t value);
    void PutI32(size_t offset, int32_t value) { PutU32(offset, static_cast<uint32_t>(value)); }

    // Writes `text` as UTF-16LE into the slot of `units` units at `offset`.
    // A longer text is cut at the slot (keeping room for the zero unit with
    // SlotEnd::Zero) without splitting a surrogate pair; the rest of the
    // slot stays zero.
    void PutText(size_t offset, size_t units, std::u16string_view text, SlotEnd end);

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

  private:
    void PutByte(size_t offset, uint8_t value) {
        if (offset < bytes_.size()) bytes_[offset] = value;
    }

    std::vector<uint8_t> bytes_;
};

}  // namespace ostiva::wire
