// The component's DynArray: text fields numbered from 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contract/Dba.h"

namespace standin {

// Joins the fields in the whole-value text: U+001E, the ASCII record separator.
inline constexpr char kFieldSeparator = '\x1E';

class DynArray final : public maj::DynArray {
 public:
  DynArray() = default;
  explicit DynArray(std::vector<std::string> fields) : fields_(std::move(fields)) {}

  [[nodiscard]] maj::ErrorNumber GetValue(std::string& whole) override;
  [[nodiscard]] maj::ErrorNumber PutValue(const std::string& whole) override;
  [[nodiscard]] maj::ErrorNumber GetField(std::int16_t index, std::string& field) override;
  [[nodiscard]] maj::ErrorNumber PutField(std::int16_t index, const std::string& field) override;
  [[nodiscard]] maj::ErrorNumber DCount(std::int32_t& count) override;

  const std::vector<std::string>& Fields() const { return fields_; }

 private:
  // Up to the last field written; never ends before it.
  std::vector<std::string> fields_;
};

// The fields a whole-value text holds: "" holds none.
std::vector<std::string> SplitFields(const std::string& whole);
std::string JoinFields(const std::vector<std::string>& fields);

}  // namespace standin
