#include "standin/DynArray.h"

#include "standin/StandInErrors.h"
#include "standin/Text.h"

namespace standin {

std::vector<std::string> SplitFields(const std::string& whole) {
  if (whole.empty()) return {};
  return Split(whole, kFieldSeparator);
}

std::string JoinFields(const std::vector<std::string>& fields) {
  std::string whole;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) whole += kFieldSeparator;
    whole += fields[i];
  }
  return whole;
}

maj::ErrorNumber DynArray::GetValue(std::string& whole) {
  whole = JoinFields(fields_);
  return maj::kOk;
}

maj::ErrorNumber DynArray::PutValue(const std::string& whole) {
  fields_ = SplitFields(whole);
  return maj::kOk;
}

maj::ErrorNumber DynArray::GetField(std::int16_t index, std::string& field) {
  if (index < 1) return kBadIndex;
  const auto at = static_cast<std::size_t>(index);
  field = at <= fields_.size() ? fields_[at - 1] : std::string();
  return maj::kOk;
}

maj::ErrorNumber DynArray::PutField(std::int16_t index, const std::string& field) {
  if (index < 1) return kBadIndex;
  const auto at = static_cast<std::size_t>(index);
  if (at > fields_.size()) fields_.resize(at);
  fields_[at - 1] = field;
  return maj::kOk;
}

maj::ErrorNumber DynArray::DCount(std::int32_t& count) {
  count = static_cast<std::int32_t>(fields_.size());
  return maj::kOk;
}

}  // namespace standin
