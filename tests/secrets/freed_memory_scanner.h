// Test builds only: replaces the global operator new and delete so that,
// while scanning is on, every heap block released is searched for known
// secret bytes before it goes back to the allocator. A secret found there was
// released without being overwritten with zeros.
//
// Secrets are registered, and findings read, while scanning is off: the
// scanner itself never allocates while it scans.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/secure_bytes.h"

// Shortest secret the scanner looks for.
constexpr std::size_t kMinWatchedBytes = 4;

// Looks for `bytes` as a whole.
void WatchFor(const std::string& name, const Bytes& bytes);

// Looks for the `width`-byte windows of `bytes` that start at `first`,
// `first + stride`, ...: any released copy of at least width + stride - 1
// consecutive bytes from that part of `bytes` holds one of them.
void WatchForWindows(const std::string& name, const Bytes& bytes, std::size_t first,
                     std::size_t stride, std::size_t width = 32);

void ForgetWatchedSecrets();

void StartScanning();
void StopScanning();

struct FreedSecret {
    std::string name;       // the first watched secret found in the block
    std::size_t blockSize;  // as requested from operator new
    std::size_t offset;
};

// What the last scan found, one entry per offending block, and how many
// blocks it looked at (a scan that saw nothing proves nothing).
std::vector<FreedSecret> FreedSecretsFound();
std::size_t BlocksScanned();

// For test messages: "keyword 1 in a 64-byte block at offset 0; ..."
std::string Describe(const std::vector<FreedSecret>& found);
