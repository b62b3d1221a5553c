// Drives four Variant slots through a sequence of constructions,
// assignments, swaps, conversions, comparisons and text forms decoded from
// the input, and checks after each step what must hold whatever the values:
//   - an assignment that throws (refused contract, full arena) leaves the
//     slot empty, one that succeeds gives the expected kind;
//   - the contract sees Reserve(n, 1) and, when granted, Release(n) straight
//     after; a refusal is never followed by its Release; every reference
//     taken is dropped once the slots are gone;
//   - `<` throws "Variant types incomparable" exactly when IsTypeComparable
//     is false, object conversions throw exactly for the wrong kinds;
//   - a copy equals its source (NaNs, invalid decimals and kinds outside the
//     enumeration aside), and number kinds compare equal symmetrically;
//   - every buffer print stays within `size` (a guard region after it is
//     checked), is terminated, and holds the prefix of the full text; the
//     length functions agree with the full texts.
// Leaks and memory errors are the sanitizers' to report.
//
// Input: a byte choosing the contract's refusal (the n-th Reserve, or none),
// a byte for the arena (none, or a capacity), then operations.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "DataType/DataType.h"
#include "tests/Variant/VariantTestPeer.h"

namespace {

using namespace QDataType;
using Kind = Variant::DATA_TYPE;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// Grants every Reserve but the one numbered `refuseAt`; checks the protocol.
class Contract : public QBase::MemoryContract {
 public:
  explicit Contract(int refuseAt) : refuseAt_(refuseAt) {}
  ~Contract() override { Check(references_ == 0 && pending_ == kNone); }
  long AddReference() override { return ++references_; }
  long DropReference() override {
    Check(references_ > 0);
    return --references_;
  }
  int Reserve(size_t size, int flag) override {
    Check(flag == 1 && references_ > 0);
    pending_ = kNone;
    if (reserves_++ == refuseAt_) return 12;
    pending_ = size;
    return 0;
  }
  int Release(size_t size) override {
    Check(pending_ == size);
    pending_ = kNone;
    return 0;
  }
  // Between operations nothing is half done.
  void Settled() const { Check(pending_ == kNone); }

 private:
  static constexpr size_t kNone = SIZE_MAX;
  int refuseAt_, reserves_ = 0;
  long references_ = 0;
  size_t pending_ = kNone;
};

bool IsNumber(Kind k) {
  switch (k) {
    case Variant::VAR_INT:
    case Variant::VAR_UNSIGNED:
    case Variant::VAR_DOUBLE:
    case Variant::VAR_FLOAT:
    case Variant::VAR_SHORT:
    case Variant::VAR_LONG:
    case Variant::VAR_INT64: return true;
    default: return false;
  }
}
bool IsDate(Kind k) { return k == Variant::VAR_DATE || k == Variant::VAR_TIME || k == Variant::VAR_DATETIME; }

class Driver {
 public:
  Driver(FuzzedDataProvider& in, Contract& contract, QBase::Arena* arena)
      : in_(in), contract_(contract), arena_(arena) {}

  void Step() {
    size_t const i = in_.ConsumeIntegralInRange<size_t>(0, kSlots - 1);
    switch (in_.ConsumeIntegralInRange(0, 7)) {
      case 0: Construct(i); break;
      case 1: Assign(i); break;
      case 2: Swap(i, Other()); break;
      case 3: Convert(i); break;
      case 4: Compare(i, Other()); break;
      case 5: Texts(i); break;
      case 6: Copy(i, Other()); break;
      default: Relabel(i); break;
    }
    contract_.Settled();
  }

 private:
  static constexpr size_t kSlots = 4;

  size_t Other() { return in_.ConsumeIntegralInRange<size_t>(0, kSlots - 1); }
  Variant& Slot(size_t i) {
    if (!slots_[i]) slots_[i].reset(new Variant(&contract_));
    return *slots_[i];
  }
  QBase::Buffer* Buffer() { return in_.ConsumeBool() ? arena_ : nullptr; }

  // Values of the object kinds.
  std::string Narrow() {
    std::string s = in_.ConsumeBytesAsString(in_.ConsumeIntegralInRange<size_t>(0, 80));
    return s.substr(0, s.find('\0'));
  }
  QBase::WString Wide() {
    QBase::WString w;
    size_t const n = in_.ConsumeIntegralInRange<size_t>(0, 80);
    for (size_t k = 0; k < n && in_.remaining_bytes() > 0; ++k) {
      auto const u = in_.ConsumeIntegral<unsigned short>();
      if (u != 0) w.push_back(u);
    }
    return w;
  }
  DateTime Date() {
    int f[7];
    for (int& v : f) v = in_.ConsumeIntegral<int16_t>();
    return DateTime(f[0] & 0xFFFF, f[1], f[2], f[3], f[4], f[5], f[6]);
  }
  std::string DecimalText() {  // no exponent: the decimal's own target covers those
    static char const kAlphabet[] = "0123456789.-+x";
    std::string s;
    size_t const n = in_.ConsumeIntegralInRange<size_t>(0, 30);
    for (size_t k = 0; k < n; ++k) s.push_back(kAlphabet[in_.ConsumeIntegralInRange<size_t>(0, sizeof kAlphabet - 2)]);
    return s;
  }
  std::unique_ptr<Binary> Blob() {
    std::vector<unsigned char> const bytes = in_.ConsumeBytes<unsigned char>(in_.ConsumeIntegralInRange(0, 64));
    return std::unique_ptr<Binary>(CreateBinary(bytes.data(), bytes.size()));
  }
  CellFmtData Cell() {
    GUID id{};
    id.Data1 = in_.ConsumeIntegral<uint32_t>();
    int const type = in_.ConsumeBool() ? CellFmtDataTypeNull : in_.ConsumeIntegral<int32_t>();
    return CellFmtData(in_.ConsumeFloatingPoint<double>(), static_cast<EnumCellFmtDataTypes>(type), id);
  }

  // Builds or assigns a value of a decoded kind; returns the kind it gives.
  template <class Apply>
  Kind WithValue(Apply apply) {
    switch (in_.ConsumeIntegralInRange(0, 13)) {
      case 0: apply(in_.ConsumeIntegral<short>()); return Variant::VAR_SHORT;
      case 1: apply(in_.ConsumeIntegral<int>()); return Variant::VAR_INT;
      case 2: apply(in_.ConsumeIntegral<unsigned>()); return Variant::VAR_UNSIGNED;
      case 3: apply(in_.ConsumeIntegral<long long>()); return Variant::VAR_INT64;
      case 4: apply(in_.ConsumeFloatingPoint<float>()); return Variant::VAR_FLOAT;
      case 5: apply(in_.ConsumeFloatingPoint<double>()); return Variant::VAR_DOUBLE;
      case 6: {
        std::string const s = Narrow();
        apply(in_.ConsumeBool() ? s.c_str() : static_cast<char const*>(nullptr));
        return Variant::VAR_WSTRING;
      }
      case 7: {
        QBase::WString const w = Wide();
        apply(w.c_str());
        return Variant::VAR_WSTRING;
      }
      case 8: apply(Date()); return Variant::VAR_DATETIME;
      case 9: {
        std::string const text = DecimalText();
        BigDecimal const d(in_.ConsumeBool() ? BigDecimal(text.c_str(), nullptr) : BigDecimal(nullptr));
        apply(d);
        return Variant::VAR_BIGDECIMAL;
      }
      case 10: {
        std::unique_ptr<Binary> const b = Blob();
        apply(static_cast<Binary const*>(b.get()));
        return Variant::VAR_BINARY;
      }
      case 11: apply(Cell()); return Variant::VAR_CELLFMTDATA;
      case 12: apply(static_cast<Binary const*>(nullptr)); return Variant::VAR_BINARY;
      default: apply(static_cast<unsigned short const*>(nullptr)); return Variant::VAR_WSTRING;
    }
  }

  // Runs an assignment to slot i: afterwards the slot holds `kind`, or is
  // empty when it threw for memory.
  template <class F>
  void Expect(size_t i, F assign) {
    Kind kind = Variant::VAR_EMPTY;
    try {
      kind = assign();
    } catch (VariantException const& e) {
      Check(std::strcmp(e.what(), "Not enough memory left.") == 0);
      kind = Variant::VAR_EMPTY;
    } catch (std::bad_alloc const&) {
      kind = Variant::VAR_EMPTY;
    }
    Check(Slot(i).GetVarType() == kind);
  }

  void Construct(size_t i) {
    QBase::Buffer* const buffer = Buffer();
    slots_[i].reset();
    try {
      WithValue([&](auto value) { slots_[i].reset(new Variant(value, buffer)); });
    } catch (std::bad_alloc const&) {
      slots_[i].reset(new Variant(buffer));
    }
  }

  void Assign(size_t i) {
    Variant& v = Slot(i);
    if (in_.ConsumeBool()) {
      Expect(i, [&] { return WithValue([&](auto value) { v = value; }); });
      return;
    }
    DateTime const d = Date();
    bool const time = in_.ConsumeBool();
    Expect(i, [&] {
      time ? v.SetTime(d) : v.SetDate(d);
      return time ? Variant::VAR_TIME : Variant::VAR_DATE;
    });
  }

  void Copy(size_t i, size_t j) {
    Variant& source = Slot(j);
    Kind const kind = source.GetVarType();
    if (in_.ConsumeBool()) {
      Expect(i, [&] {
        Slot(i) = source;
        return kind;
      });
      return;
    }
    try {
      std::unique_ptr<Variant> copy(new Variant(source));
      Check(copy->GetVarType() == kind);
      Reflexive(*copy, source);
      slots_[i] = std::move(copy);
    } catch (VariantException const&) {
    } catch (std::bad_alloc const&) {
    }
  }

  void Swap(size_t i, size_t j) {
    Variant &a = Slot(i), &b = Slot(j);
    Kind const ka = a.GetVarType(), kb = b.GetVarType();
    a.swap(b);
    Check(a.GetVarType() == (i == j ? ka : kb) && b.GetVarType() == (i == j ? kb : ka));
  }

  // VAR_LONG and kinds outside the enumeration, which no constructor makes.
  void Relabel(size_t i) {
    if (in_.ConsumeBool()) {
      VariantTestPeer::MakeLong(Slot(i), in_.ConsumeIntegral<int32_t>());
    } else {
      static int const kUnknown[] = {0, 3, 5, 8, 35, 100, -2};
      VariantTestPeer::MakeUnknown(Slot(i), kUnknown[in_.ConsumeIntegralInRange(0, 6)]);
    }
  }

  void Convert(size_t i) {
    Variant& v = Slot(i);
    Kind const k = v.GetVarType();
    volatile long long sink = static_cast<short>(v);
    sink = static_cast<int>(v);
    sink = static_cast<unsigned>(v);
    sink = static_cast<long long>(v);
    volatile double fsink = static_cast<float>(v);
    fsink = static_cast<double>(v);
    (void)sink;
    (void)fsink;
    auto throws = [](auto f) {
      try {
        f();
      } catch (VariantException const&) {
        return true;
      }
      return false;
    };
    Check(throws([&] { v.ToDateTime(); }) == !IsDate(k));
    Check(throws([&] { DateTime d = v; (void)d; }) == !IsDate(k));
    Check(throws([&] { v.ToBigDecimal(); }) == (k != Variant::VAR_BIGDECIMAL));
    Check(throws([&] { v.ToBinary(); }) == (k != Variant::VAR_BINARY));
    Check(throws([&] { CellFmtData c = v; (void)c; }) == (k != Variant::VAR_CELLFMTDATA));
    Check(v.GetVarType() == k);
    if (!IsNumber(k) && k != Variant::VAR_CELLFMTDATA && k != Variant::VAR_WSTRING) {
      Check(static_cast<int>(v) == 0 && static_cast<double>(v) == 0 && static_cast<long long>(v) == 0);
    }
  }

  // A NaN, an invalid decimal or a kind outside the enumeration is not equal
  // to itself; everything else is.
  static bool SelfEqualExpected(Variant& v) {
    switch (v.GetVarType()) {
      case Variant::VAR_FLOAT:
      case Variant::VAR_DOUBLE:
      case Variant::VAR_CELLFMTDATA: return !std::isnan(static_cast<double>(v));
      case Variant::VAR_BIGDECIMAL: return !v.ToBigDecimal()->IsInvalid();
      case Variant::VAR_EMPTY:
      case Variant::VAR_WSTRING:
      case Variant::VAR_BINARY: return true;
      default: return IsNumber(v.GetVarType()) || IsDate(v.GetVarType());
    }
  }
  void Reflexive(Variant& copy, Variant& source) {
    bool expected = SelfEqualExpected(source);
    if (source.GetVarType() == Variant::VAR_BINARY && copy.ToBinary()->GetSize() != source.ToBinary()->GetSize()) {
      // An arena that refuses the bytes leaves the copy's blob empty.
      Check(VariantTestPeer::GetBuffer(copy) != nullptr && copy.ToBinary()->GetSize() == 0);
      expected = false;
    }
    try {
      Check((copy == source) == expected);
      Check((source == copy) == expected);
    } catch (BigDecimalException const&) {
      Check(!expected && source.GetVarType() == Variant::VAR_BIGDECIMAL);
    }
  }

  static constexpr int kIncomparable = -1, kDecimalThrew = -2;
  static int Less(Variant& a, Variant& b) {
    try {
      return a < b ? 1 : 0;
    } catch (VariantException const& e) {
      Check(std::strcmp(e.what(), "Variant types incomparable") == 0);
      return kIncomparable;
    } catch (BigDecimalException const&) {
      return kDecimalThrew;
    }
  }

  void Compare(size_t i, size_t j) {
    Variant &a = Slot(i), &b = Slot(j);
    Kind const ka = a.GetVarType(), kb = b.GetVarType();
    bool const decimals = ka == Variant::VAR_BIGDECIMAL && kb == Variant::VAR_BIGDECIMAL;
    int const ab = Less(a, b), ba = Less(b, a);
    Check((ab != kIncomparable) == a.IsTypeComparable(b));
    Check((ba != kIncomparable) == b.IsTypeComparable(a));
    Check((ab == kDecimalThrew) == (ba == kDecimalThrew) && (ab != kDecimalThrew || decimals));
    if (ab == 1 && ba == 1) Check(ka == Variant::VAR_INT64 || kb == Variant::VAR_INT64);
    try {
      bool const equal = a == b;
      if (IsNumber(ka) && IsNumber(kb)) Check(equal == (b == a));
      if (equal && ka != Variant::VAR_DATETIME && kb != Variant::VAR_DATETIME) {
        Check(ka == kb || (IsNumber(ka) && IsNumber(kb)));
      }
    } catch (BigDecimalException const&) {
      Check(decimals);
    }
    Check(a.GetVarType() == ka && b.GetVarType() == kb);
  }

  // A buffer of `size` units followed by a guard region.
  template <class C>
  void CheckBuffer(C const* full, size_t length, unsigned size, void (Variant::*print)(C*, unsigned) const, Variant& v) {
    constexpr size_t kGuard = 16;
    constexpr C kFill = static_cast<C>(0x5A);
    std::vector<C> area(size + kGuard, kFill);
    (v.*print)(size == 0 && in_.ConsumeBool() ? nullptr : area.data(), size);
    for (size_t k = size; k < area.size(); ++k) Check(area[k] == kFill);
    if (size == 0) return;
    size_t const kept = length < size ? length : size - 1;
    Check(area[kept] == 0);
    Check(kept == 0 || std::memcmp(area.data(), full, kept * sizeof(C)) == 0);
  }

  void Texts(size_t i) {
    Variant& v = Slot(i);
    Kind const k = v.GetVarType();
    try {
      QBase::ReturnString const narrow = v.ToString();
      Check(v.GetStringLength() == narrow.GetLength());
      Check((narrow.GetString() == nullptr) == (k == Variant::VAR_BINARY || k == Variant::VAR_CELLFMTDATA));
      unsigned const nsize = in_.ConsumeIntegralInRange<unsigned>(0, static_cast<unsigned>(narrow.GetLength()) + 2);
      CheckBuffer<char>(narrow.GetString(), narrow.GetLength(), nsize, &Variant::ToString, v);

      QBase::ReturnWString const wide = v.ToWString();
      bool const noBufferText = k == Variant::VAR_BINARY || k == Variant::VAR_CELLFMTDATA;
      size_t const wlength = noBufferText ? 0 : wide.GetLength();
      Check(v.GetWStringLength() == wlength);
      if (IsNumber(k) || IsDate(k) || k == Variant::VAR_BIGDECIMAL) Check(wlength == narrow.GetLength());
      unsigned const wsize = in_.ConsumeIntegralInRange<unsigned>(0, static_cast<unsigned>(wlength) + 2);
      CheckBuffer<unsigned short>(wide.GetString(), wlength, wsize, &Variant::ToWString, v);

      QBase::ReturnString const vb = v.ToStringVBBehavior();
      Check((vb.GetString() == nullptr) == noBufferText);
    } catch (BigDecimalException const&) {
      Check(k == Variant::VAR_BIGDECIMAL && v.ToBigDecimal()->IsInvalid());
    }
    auto const* raw = v.GetRawWString();
    Check((raw != nullptr) == (k == Variant::VAR_WSTRING));
  }

  FuzzedDataProvider& in_;
  Contract& contract_;
  QBase::Arena* arena_;
  std::unique_ptr<Variant> slots_[kSlots];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  uint8_t const refusal = in.ConsumeIntegral<uint8_t>();
  Contract contract(refusal == 255 ? -1 : refusal % 32);
  std::unique_ptr<QBase::Arena> arena;
  if (in.ConsumeBool()) arena = std::make_unique<QBase::Arena>(in.ConsumeIntegralInRange<size_t>(0, 4096));
  {
    Driver driver(in, contract, arena.get());
    for (int steps = 0; steps < 48 && in.remaining_bytes() > 0; ++steps) driver.Step();
  }
  return 0;
}
