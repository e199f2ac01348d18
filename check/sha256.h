#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// SHA-256 (FIPS 180-4), for the sums that prove a download's files intact. Feed the bytes in
// any number of pieces, then read the digest once.
class Sha256 {
 public:
  Sha256();
  void add(const void* data, size_t size);
  // The digest as 64 lower-case hexadecimal digits, as sha256sum prints it.
  std::string hex();

 private:
  void block(const uint8_t* data);

  uint32_t state_[8];
  uint8_t pending_[64];
  size_t pendingSize_ = 0;
  uint64_t total_ = 0;
};
