// Certificate names as WinINet prints them come from the gateway's certificate. Checked
// against a plain restatement when the name has no quotes (split at CR, LF and ',',
// blanks trimmed, empty values dropped, the last 16 kept, reversed, joined by ", ",
// cut to the buffer); with quotes, only that the output is terminated in its buffer and
// holds no line break.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gateway/certificate.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string Restated(const std::string& printed, size_t outSize) {
  std::vector<std::string> values;
  std::string value;
  auto finish = [&] {
    const size_t first = value.find_first_not_of(' ');
    if (first != std::string::npos) values.push_back(value.substr(first, value.find_last_not_of(' ') - first + 1));
    value.clear();
  };
  for (char c : printed) {
    if (c == '\r' || c == '\n' || c == ',') {
      finish();
    } else {
      value += c;
    }
  }
  finish();
  if (values.size() > 16) values.erase(values.begin(), values.end() - 16);
  std::string joined;
  for (size_t i = values.size(); i > 0; --i) {
    if (i != values.size()) joined += ", ";
    joined += values[i - 1];
  }
  return joined.substr(0, outSize - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the output buffer's size; the rest is the printed name, exactly
  // sized so that a read past its terminator lands in ASan's redzone.
  if (size == 0) return 0;
  const size_t outSize = 1 + data[0] % kCertificateNameSize;
  std::unique_ptr<char[]> printed(new char[size]);
  std::memcpy(printed.get(), data + 1, size - 1);
  printed[size - 1] = '\0';
  std::unique_ptr<char[]> out(new char[outSize]);

  CopyCertificateName(printed.get(), out.get(), outSize);
  const size_t length = strnlen(out.get(), outSize);
  Check(length < outSize);
  Check(std::strpbrk(out.get(), "\r\n") == nullptr);
  const std::string name(printed.get());
  if (name.find('"') == std::string::npos) Check(Restated(name, outSize) == out.get());
  return 0;
}
