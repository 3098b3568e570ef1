// Unsigned integers of any size, just what the exact check of fixed-point editing needs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

class Natural {
 public:
  explicit Natural(std::uint64_t value) {
    limbs_ = {static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32)};
    trim();
  }

  void multiply(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
      carry += static_cast<std::uint64_t>(limb) * factor;
      limb = static_cast<std::uint32_t>(carry);
      carry >>= 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
    trim();
  }

  void add_one() {
    for (std::uint32_t& limb : limbs_) {
      if (++limb != 0) return;
    }
    limbs_.push_back(1);
  }

  void shift_left(int bits) {
    for (; bits >= 32; bits -= 32) limbs_.insert(limbs_.begin(), 0);
    if (bits > 0) {
      limbs_.push_back(0);
      for (std::size_t i = limbs_.size() - 1; i > 0; --i)
        limbs_[i] = (limbs_[i] << bits) | (limbs_[i - 1] >> (32 - bits));
      limbs_[0] <<= bits;
    }
    trim();
  }

  bool bit(long index) const {
    std::size_t limb = static_cast<std::size_t>(index / 32);
    return limb < limbs_.size() && ((limbs_[limb] >> (index % 32)) & 1) != 0;
  }

  bool any_bit_below(long index) const {
    for (long i = 0; i < index; ++i) {
      if (bit(i)) return true;
    }
    return false;
  }

  // Divides by 2^bits, rounding to the nearest integer, an exact half to the even one.
  void shift_right_rounding(long bits) {
    bool half = bits > 0 && bit(bits - 1);
    bool above_half = half && any_bit_below(bits - 1);
    std::size_t whole_limbs = static_cast<std::size_t>(bits / 32);
    limbs_.erase(limbs_.begin(), limbs_.begin() + std::min(whole_limbs, limbs_.size()));
    int rest = static_cast<int>(bits % 32);
    if (rest > 0) {
      for (std::size_t i = 0; i < limbs_.size(); ++i) {
        std::uint32_t next = i + 1 < limbs_.size() ? limbs_[i + 1] : 0;
        limbs_[i] = (limbs_[i] >> rest) | (next << (32 - rest));
      }
    }
    trim();
    if (above_half || (half && bit(0))) add_one();
  }

  std::string decimal() const {
    std::vector<std::uint32_t> left = limbs_;
    std::string digits;
    while (!left.empty()) {
      std::uint64_t remainder = 0;
      for (std::size_t i = left.size(); i-- > 0;) {
        std::uint64_t part = (remainder << 32) | left[i];
        left[i] = static_cast<std::uint32_t>(part / 10);
        remainder = part % 10;
      }
      digits += static_cast<char>('0' + remainder);
      while (!left.empty() && left.back() == 0) left.pop_back();
    }
    if (digits.empty()) digits = "0";
    std::reverse(digits.begin(), digits.end());
    return digits;
  }

 private:
  void trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }

  std::vector<std::uint32_t> limbs_;
};
