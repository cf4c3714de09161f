// libFuzzer entry point: converts arbitrary bytes and stops at the first broken property.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string failure =
      tenmaru::test::check_properties({reinterpret_cast<const char*>(data), size});
  if (!failure.empty()) {
    std::fprintf(stderr, "property broken: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
