// The shared block through which a second instance hands its arguments to
// the first: its byte layout and the argument area's encoding. Any process
// of the same user may write the block, so reading never trusts its content.
#ifndef TARN_INSTANCE_HAND_OVER_BLOCK_H
#define TARN_INSTANCE_HAND_OVER_BLOCK_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

constexpr size_t kHandOverBlockSize = 1052;
constexpr size_t kOwnerThreadIdOffset = 0;
constexpr size_t kOwnerProcessIdOffset = 4;
constexpr size_t kHandOverMessageOffset = 8;
constexpr size_t kArgumentAreaOffset = 12;
constexpr size_t kArgumentAreaSize = 1040;

// The header fields, little-endian whatever the machine.
uint32_t readBlockField(const uint8_t* block, size_t offset);
void writeBlockField(uint8_t* block, size_t offset, uint32_t value);

// The first instance publishes its message thread last, once every other
// field is written; a second instance hands over only to a complete block.
// Both need the block aligned to 4 bytes, as a mapping always is.
void publishOwnerThread(uint8_t* block, uint32_t threadId);
bool handOverBlockComplete(const uint8_t* block);

// Clears the area and writes each argument followed by a zero byte. False,
// with nothing written, when the arguments and the closing zero do not fit.
bool writeArgumentArea(uint8_t* area, const std::vector<std::string>& arguments);

// The list back from an area of kArgumentAreaSize bytes. The list ends at
// the first pair of zero bytes, so an empty list arrives as one empty
// argument and an empty argument ends the list; an argument still open at
// the area's end is dropped.
std::vector<std::string> readArgumentArea(const uint8_t* area);

// The executable's path with every backslash turned into an underscore:
// the name of the block, the message and, with suffixes, the event and the
// hand-over lock.
std::string channelNameFor(const std::string& modulePath);

}  // namespace tarn

#endif
