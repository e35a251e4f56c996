#include "session/RecordReader.h"

namespace ostiva::wire {

uint16_t RecordReader::U16(size_t offset) const {
    if (offset >= bytes_.size()) return 0;
    return static_cast<uint16_t>(Byte(offset) | (Byte(offset + 1) << 8));
}

uint32_t RecordReader::U32(size_t offset) const {
    if (offset >= bytes_.size()) return 0;
    uint32_t value = 0;
    for (size_t i = 0; i < 4 && i < bytes_.size() - offset; ++i) {
        value |= static_cast<uint32_t>(bytes_[offset + i]) << (8 * i);
    }
    return value;
}

std::u16string RecordReader::Text(size_t offset, size_t units) const {
    std::u16string text;
    if (offset >= bytes_.size()) return text;
    // Units past the received bytes are zero, so the slot ends there at the latest.
    size_t available = (bytes_.size() - offset + 1) / 2;
    if (units > available) units = available;
    for (size_t i = 0; i < units; ++i) {
        char16_t unit = static_cast<char16_t>(U16(offset + 2 * i));
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

}  // namespace ostiva::wire
