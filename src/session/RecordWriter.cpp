#include "session/RecordWriter.h"

#include "util/Utf.h"

namespace ostiva::wire {

void RecordWriter::PutU16(size_t offset, uint16_t value) {
    PutByte(offset, static_cast<uint8_t>(value));
    if (offset < bytes_.size()) PutByte(offset + 1, static_cast<uint8_t>(value >> 8));
}

void RecordWriter::PutU32(size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4 && offset < bytes_.size() && i < bytes_.size() - offset; ++i) {
        PutByte(offset + i, static_cast<uint8_t>(value >> (8 * i)));
    }
}

void RecordWriter::PutText(size_t offset, size_t units, std::u16string_view text, SlotEnd end) {
    if (offset >= bytes_.size()) return;
    // A slot that runs past the record shrinks to what the record holds.
    size_t room = (bytes_.size() - offset) / 2;
    size_t limit = units < room ? units : room;
    if (end == SlotEnd::Zero && units > 0 && limit == units) --limit;
    std::u16string_view cut = CutUtf16(text, limit);
    for (size_t i = 0; i < cut.size(); ++i) {
        PutU16(offset + 2 * i, static_cast<uint16_t>(cut[i]));
    }
}

}  // namespace ostiva::wire
