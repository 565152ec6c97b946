// The channel's block on Linux: this user's own folder, the block file
// named from the channel, and the locks on it that mark its live owner and
// let one hand-over use the argument area at a time.
#ifndef TARN_INSTANCE_CHANNEL_BLOCK_POSIX_H
#define TARN_INSTANCE_CHANNEL_BLOCK_POSIX_H

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace tarn {

struct System;

constexpr off_t kHandOverLockByte = 0;
constexpr off_t kOwnerLockByte = 1;

int64_t nowMilliseconds();
void sleepMilliseconds(int milliseconds);

// The folder of this user's blocks, created if missing: the session's
// runtime folder where there is one, else a folder of its own in /dev/shm.
std::string channelFolder(System& system);

// The block, created if missing, when it and its folder are this user's
// alone; -1 otherwise (someone else may have made either first).
int openBlock(const std::string& folder, const std::string& name);

// Open-file-description locks on one byte of the block, never waiting.
bool lockByte(int fd, off_t byte);
void unlockByte(int fd, off_t byte);

// Some process holds the owner lock.
bool ownerAlive(int fd);

// The name still leads to this very block (a first instance that ended may
// have removed it after we opened it).
bool nameLeadsTo(int fd, const std::string& path);

enum class Published { kYes, kOwnerGone, kTimedOut, kUnusable };

// Waits until the block's owner has published everything a hand-over needs
// and maps the block.
Published waitForPublishedBlock(int fd, uint8_t** view);

}  // namespace tarn

#endif
