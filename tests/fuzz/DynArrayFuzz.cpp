// Fuzzes the stand-in's DynArray: its whole-value text and a sequence of field
// operations, against a plain model of the list.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "standin/DynArray.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  // The whole value: "" holds no field; any other text splits and joins back.
  standin::DynArray array;
  Check(array.PutValue(input) == maj::kOk);
  std::string whole;
  Check(array.GetValue(whole) == maj::kOk && whole == input);
  std::int32_t count = -1;
  Check(array.DCount(count) == maj::kOk);
  Check(input.empty() ? count == 0 : count == static_cast<std::int32_t>(array.Fields().size()));

  // Field operations driven by the input: 3 bytes an operation, the model a vector.
  standin::DynArray list;
  std::vector<std::string> model;
  for (std::size_t i = 0; i + 3 <= size; i += 3) {
    const auto index = static_cast<std::int16_t>((data[i + 1] << 8 | data[i + 2]) % 80 - 2);
    const std::string text(1, static_cast<char>(data[i]));
    std::string got;
    if (data[i] & 1) {
      const maj::ErrorNumber err = list.PutField(index, text);
      Check((err == maj::kOk) == (index >= 1));
      if (index >= 1) {
        if (model.size() < static_cast<std::size_t>(index))
          model.resize(static_cast<std::size_t>(index));
        model[static_cast<std::size_t>(index) - 1] = text;
      }
    } else {
      const maj::ErrorNumber err = list.GetField(index, got);
      Check((err == maj::kOk) == (index >= 1));
      if (index >= 1) {
        const auto at = static_cast<std::size_t>(index) - 1;
        Check(got == (at < model.size() ? model[at] : ""));
      }
    }
    Check(list.DCount(count) == maj::kOk && count == static_cast<std::int32_t>(model.size()));
  }
  return 0;
}
