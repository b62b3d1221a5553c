// Variant: construction, assignment, the memory contract and swap.
#include "DataType/Variant/Variant.h"

#include <cstring>
#include <new>
#include <utility>

namespace QDataType {

static_assert(sizeof(void*) == sizeof(uint64_t), "the value field holds a pointer");

VariantException::VariantException() = default;
VariantException::VariantException(VariantException const& other) = default;
VariantException& VariantException::operator=(VariantException const& other) = default;
VariantException::~VariantException() = default;

namespace {

// Runs `make`; if it throws, empties the Variant first (an assignment that
// fails leaves it empty) and lets the exception go on.
template <class Make, class Reset>
auto Guarded(Make make, Reset reset) -> decltype(make()) {
  try {
    return make();
  } catch (...) {
    reset();
    throw;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Owned objects

// Without an arena an object takes its block from QBase::AllocateFromHeap
// (small blocks kept per thread: a copy made and dropped over and over
// reuses one block instead of a malloc and a free each time); FreeOwned
// gives it back.
namespace {

template <class T>
void FreeOwned(T* object) noexcept {
  object->~T();
  QBase::FreeToHeap(object, sizeof(T));
}

}  // namespace

template <class T, class... Args>
T* Variant::Make(Args const&... args) const {
  if (buffer_ == nullptr) {
    void* const block = QBase::AllocateFromHeap(sizeof(T));
    try {
      return ::new (block) T(args...);
    } catch (...) {
      QBase::FreeToHeap(block, sizeof(T));
      throw;
    }
  }
  // The placement form returns null (and builds nothing) when the arena is
  // out of room; a constructor that throws gives the block back to it.
  T* const object = new (buffer_) T(args...);
  if (object == nullptr) throw std::bad_alloc();
  return object;
}

void Variant::CheckMemoryAvailability(unsigned long long size) {
  if (contract_ != nullptr && contract_->Reserve(static_cast<size_t>(size), 1) != 0) {
    QBase::Throw<VariantException>("Not enough memory left.");
  }
}

Variant::String* Variant::MakeString(unsigned short const* text, size_t units) {
  QBase::Allocator<unsigned short> const allocator(buffer_);
  if (buffer_ != nullptr) return Make<String>(text, units, allocator);
  unsigned long long const size = (static_cast<unsigned long long>(units) + 1) * 2;
  CheckMemoryAvailability(size);
  QBase::ContractRelease const granted(contract_, static_cast<size_t>(size));
  return Make<String>(text, units, allocator);
}

Binary* Variant::MakeBlob(void const* data, size_t size) {
  if (buffer_ != nullptr) return CreateBinary(data, size, buffer_);
  CheckMemoryAvailability(size);
  QBase::ContractRelease const granted(contract_, size);
  return CreateBinary(data, size, nullptr);
}

void Variant::FreeObject() noexcept {
  switch (type_) {
    case VAR_WSTRING: FreeOwned(Str()); break;
    case VAR_BINARY: delete Blob(); break;  // made by CreateBinary, which has its own heap blocks
    case VAR_DATE:
    case VAR_TIME:
    case VAR_DATETIME: FreeOwned(Date()); break;
    case VAR_BIGDECIMAL: FreeOwned(Decimal()); break;
    case VAR_CELLFMTDATA: FreeOwned(Cell()); break;
    default: break;
  }
}

void Variant::Install(DATA_TYPE type, void* object) noexcept {
  Reset();
  type_ = type;
  value_ = Bits(object);
}

void Variant::DropContract() noexcept {
  QBase::MemoryContract* const contract = contract_;
  contract_ = nullptr;
  contract->DropReference();
}

void Variant::AssignText(unsigned short const* text, size_t units) {
  Install(VAR_WSTRING, Guarded([&] { return MakeString(text, units); }, [this] { Reset(); }));
}

void Variant::AssignDate(DateTime const& value, DATA_TYPE type) {
  Install(type, Guarded([&] { return Make<DateTime>(value); }, [this] { Reset(); }));
}

// ---------------------------------------------------------------------------
// Construction

Variant::Variant(char const* text, QBase::Buffer* buffer) : Variant(buffer) {
  QBase::WString const wide = QBase::UTF8ToWide(text == nullptr ? "" : text, text == nullptr ? 0 : std::strlen(text));
  Install(VAR_WSTRING, MakeString(wide.data(), wide.size()));
}

Variant::Variant(std::string_view text, QBase::Buffer* buffer) : Variant(buffer) {
  QBase::WString const wide = QBase::UTF8ToWide(text.data(), text.size());
  Install(VAR_WSTRING, MakeString(wide.data(), wide.size()));
}

Variant::Variant(unsigned short const* text, QBase::Buffer* buffer) : Variant(buffer) {
  static unsigned short const kEmpty[1] = {0};
  if (text == nullptr) text = kEmpty;
  Install(VAR_WSTRING, MakeString(text, QBase::WideLength(text)));
}

Variant::Variant(DateTime const& value, QBase::Buffer* buffer) : Variant(buffer) {
  Install(VAR_DATETIME, Make<DateTime>(value));
}

Variant::Variant(BigDecimal const& value, QBase::Buffer* buffer) : Variant(buffer) {
  Install(VAR_BIGDECIMAL, Make<BigDecimal>(value, buffer_));
}

Variant::Variant(Binary const* blob, QBase::Buffer* buffer) : Variant(buffer) {
  Install(VAR_BINARY, blob == nullptr ? MakeBlob(nullptr, 0) : MakeBlob(blob->GetData(), blob->GetSize()));
}

Variant::Variant(CellFmtData const& value, QBase::Buffer* buffer) : Variant(buffer) {
  Install(VAR_CELLFMTDATA, Make<CellFmtData>(value));
}

Variant::Variant(QBase::MemoryContract* contract) : Variant(static_cast<QBase::Buffer*>(nullptr)) {
  contract_ = contract;
  if (contract_ != nullptr) contract_->AddReference();
}

Variant::Variant(Variant const& other) : Variant(other.buffer_) {
  // Delegated: should the assignment throw, the destructor runs and gives
  // the contract reference back.
  contract_ = other.contract_;
  if (contract_ != nullptr) contract_->AddReference();
  *this = other;
}

// ---------------------------------------------------------------------------
// Assignment

Variant& Variant::operator=(char const* text) {
  // Converted first: the contract is asked for the converted units.
  QBase::WString const wide = Guarded(
      [&] { return QBase::UTF8ToWide(text == nullptr ? "" : text, text == nullptr ? 0 : std::strlen(text)); },
      [this] { Reset(); });
  AssignText(wide.data(), wide.size());
  return *this;
}

Variant& Variant::operator=(std::string_view text) {
  QBase::WString const wide = Guarded([&] { return QBase::UTF8ToWide(text.data(), text.size()); }, [this] { Reset(); });
  AssignText(wide.data(), wide.size());
  return *this;
}

Variant& Variant::operator=(unsigned short const* text) {
  static unsigned short const kEmpty[1] = {0};
  if (text == nullptr) text = kEmpty;
  AssignText(text, QBase::WideLength(text));
  return *this;
}

Variant& Variant::operator=(DateTime const& value) {
  AssignDate(value, VAR_DATETIME);
  return *this;
}

void Variant::SetDate(DateTime const& value) { AssignDate(value, VAR_DATE); }

void Variant::SetTime(DateTime const& value) { AssignDate(value, VAR_TIME); }

Variant& Variant::operator=(BigDecimal const& value) {
  Install(VAR_BIGDECIMAL, Guarded([&] { return Make<BigDecimal>(value, buffer_); }, [this] { Reset(); }));
  return *this;
}

Variant& Variant::operator=(Binary const* blob) {
  Binary* const copy = Guarded(
      [&] { return blob == nullptr ? MakeBlob(nullptr, 0) : MakeBlob(blob->GetData(), blob->GetSize()); },
      [this] { Reset(); });
  Install(VAR_BINARY, copy);
  return *this;
}

Variant& Variant::operator=(CellFmtData const& value) {
  Install(VAR_CELLFMTDATA, Guarded([&] { return Make<CellFmtData>(value); }, [this] { Reset(); }));
  return *this;
}

Variant& Variant::operator=(Variant const& other) {
  if (this == &other) return *this;
  switch (other.type_) {
    case VAR_WSTRING: AssignText(other.Str()->data(), other.Str()->size()); break;
    case VAR_BINARY: *this = other.Blob(); break;
    case VAR_DATE:
    case VAR_TIME:
    case VAR_DATETIME: AssignDate(*other.Date(), other.type_); break;
    case VAR_BIGDECIMAL: *this = *other.Decimal(); break;
    case VAR_CELLFMTDATA: *this = *other.Cell(); break;
    default:
      // Numbers copy their value field; any other kind copies nothing.
      Reset();
      if (IsNumberKind(other.type_)) value_ = other.value_;  // the unused bytes are zero
      type_ = other.type_;
      break;
  }
  return *this;
}

// ---------------------------------------------------------------------------
// swap

void Variant::TakeValue(Variant& other) noexcept {
  switch (other.type_) {
    case VAR_EMPTY: value_ = 0; break;
    case VAR_SHORT: value_ = Bits(other.Get<int16_t>()); break;
    case VAR_INT:
    case VAR_UNSIGNED:
    case VAR_FLOAT:
    case VAR_LONG: value_ = Bits(other.Get<uint32_t>()); break;
    default: value_ = other.value_; break;
  }
}

void Variant::swap(Variant& other) noexcept {
  if (this == &other) return;
  uint64_t const mine = value_;
  TakeValue(other);
  other.value_ = mine;
  std::swap(type_, other.type_);
  std::swap(buffer_, other.buffer_);
}

}  // namespace QDataType
