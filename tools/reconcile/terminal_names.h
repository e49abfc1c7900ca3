#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// Terminal ids as small numbers, shared by the journals' ledger and the settlement so
// that their transactions are compared as three integers.
class TerminalNames {
 public:
  uint32_t Intern(const std::string& terminal) {
    const auto found = index_.find(terminal);
    if (found != index_.end()) return found->second;
    const uint32_t index = static_cast<uint32_t>(names_.size());
    names_.push_back(terminal);
    index_.emplace(terminal, index);
    return index;
  }
  const std::string& Name(uint32_t index) const { return names_[index]; }

 private:
  std::unordered_map<std::string, uint32_t> index_;
  std::vector<std::string> names_;
};

// A terminal, batch and sequence number: how the card office knows a transaction.
struct NumberKey {
  uint32_t Terminal;
  int32_t Batch;
  int32_t Sequence;
  bool operator==(const NumberKey& o) const {
    return Terminal == o.Terminal && Batch == o.Batch && Sequence == o.Sequence;
  }
  bool operator<(const NumberKey& o) const {
    if (Terminal != o.Terminal) return Terminal < o.Terminal;
    if (Batch != o.Batch) return Batch < o.Batch;
    return Sequence < o.Sequence;
  }
};
