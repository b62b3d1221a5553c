// White-box access to Variant for its tests and fuzz target: the kinds that
// no constructor makes (VAR_LONG, values outside the enumeration) and the
// fields as they stand.
#pragma once

#include <cstdint>

#include "DataType/Variant/Variant.h"

namespace QDataType {

struct VariantTestPeer {
  // A VAR_LONG holding `value`.
  static void MakeLong(Variant& v, int32_t value) {
    v = static_cast<int>(value);
    v.type_ = Variant::VAR_LONG;
  }
  // An empty Variant relabelled with a kind outside the enumeration.
  static void MakeUnknown(Variant& v, int32_t type) {
    v.Reset();
    v.type_ = static_cast<Variant::DATA_TYPE>(type);
  }
  static uint64_t Value(Variant const& v) { return v.value_; }
  static QBase::Buffer* GetBuffer(Variant const& v) { return v.buffer_; }
  static QBase::MemoryContract* GetContract(Variant const& v) { return v.contract_; }
};

}  // namespace QDataType
