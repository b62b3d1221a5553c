// Variant: object conversions, the string's integer reading, equality with
// objects and ordering.
#include <climits>
#include <cstring>
#include <utility>

#include "DataType/Variant/Variant.h"

namespace QDataType {

namespace {

bool IsDateKind(Variant::DATA_TYPE type) noexcept {
  return type == Variant::VAR_DATE || type == Variant::VAR_TIME || type == Variant::VAR_DATETIME;
}

// -1, 0 or 1 as a orders before, with or after b: unit by unit as unsigned
// 16-bit numbers, a proper prefix first. Four units at a time until they
// differ.
int CompareUnits(unsigned short const* a, size_t na, unsigned short const* b, size_t nb) noexcept {
  size_t const n = na < nb ? na : nb;
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    uint64_t wa, wb;
    std::memcpy(&wa, a + i, sizeof wa);
    std::memcpy(&wb, b + i, sizeof wb);
    if (wa != wb) break;
  }
  for (; i < n; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return na == nb ? 0 : (na < nb ? -1 : 1);
}

bool IsWideSpace(unsigned short c) noexcept { return c == 0x20 || (c >= 0x09 && c <= 0x0D); }

}  // namespace

// ---------------------------------------------------------------------------
// Conversions

Variant::operator DateTime() const { return DateTime(*ToDateTime()); }
Variant::operator DateTime() { return DateTime(*ToDateTime()); }

DateTime const* Variant::ToDateTime() const {
  if (!IsDateKind(type_)) QBase::Throw<VariantException>("Cannot convert to DateTime type");
  return Date();
}

BigDecimal const* Variant::ToBigDecimal() const {
  if (type_ != VAR_BIGDECIMAL) QBase::Throw<VariantException>("Cannot convert to BigDecimal type");
  return Decimal();
}

Variant::operator CellFmtData() const {
  if (type_ != VAR_CELLFMTDATA) QBase::Throw<VariantException>("Cannot convert to CellFmtData type");
  return *Cell();
}
Variant::operator CellFmtData() { return std::as_const(*this).operator CellFmtData(); }

Binary const* Variant::ToBinary() const {
  if (type_ != VAR_BINARY) QBase::Throw<VariantException>("Cannot convert to Binary type");
  return Blob();
}

// The leading integer of the held text: white space, a sign, decimal digits;
// saturated to the 32-bit range, 0 without digits.
int Variant::LeadingInteger() const noexcept {
  String const& text = *Str();
  size_t i = 0;
  size_t const n = text.size();
  while (i < n && IsWideSpace(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long magnitude = 0;  // stops growing past the range of int
  for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude <= INT_MAX) magnitude = magnitude * 10 + (text[i] - '0');
  }
  if (negative) return magnitude > static_cast<long long>(INT_MAX) + 1 ? INT_MIN : static_cast<int>(-magnitude);
  return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

// ---------------------------------------------------------------------------
// Equality with objects

bool Variant::EqualsText(unsigned short const* text, size_t units) const noexcept {
  if (type_ != VAR_WSTRING) return false;
  String const& mine = *Str();
  return mine.size() == units && (units == 0 || std::memcmp(mine.data(), text, units * sizeof *text) == 0);
}

bool Variant::operator==(char const* text) const {
  if (type_ != VAR_WSTRING) return false;
  QBase::WString const wide = QBase::UTF8ToWide(text == nullptr ? "" : text, text == nullptr ? 0 : std::strlen(text));
  return EqualsText(wide.data(), wide.size());
}

bool Variant::operator==(unsigned short const* text) const { return EqualsText(text, QBase::WideLength(text)); }

bool Variant::operator==(DateTime const& x) const { return IsDateKind(type_) && *Date() == x; }

bool Variant::operator==(BigDecimal const& x) const { return type_ == VAR_BIGDECIMAL && *Decimal() == x; }

bool Variant::operator==(Binary const& x) const { return type_ == VAR_BINARY && Blob()->IsEqual(x); }

bool Variant::operator==(CellFmtData const& x) const { return type_ == VAR_CELLFMTDATA && *Cell() == x; }

bool Variant::EqualsObject(Variant const& other) const {
  switch (type_) {
    case VAR_EMPTY: return other.type_ == VAR_EMPTY;
    case VAR_WSTRING: return other.EqualsText(Str()->data(), Str()->size());
    case VAR_BINARY: return other.type_ == VAR_BINARY && other.Blob()->IsEqual(*Blob());
    case VAR_DATE: {
      if (other.type_ != VAR_DATE) return false;
      DateTime const &a = *Date(), &b = *other.Date();
      return a.GetYear() == b.GetYear() && a.GetMonth() == b.GetMonth() && a.GetDay() == b.GetDay();
    }
    case VAR_TIME: {
      if (other.type_ != VAR_TIME) return false;
      DateTime const &a = *Date(), &b = *other.Date();
      return a.GetHour() == b.GetHour() && a.GetMinute() == b.GetMinute() && a.GetSecond() == b.GetSecond() &&
             a.GetMillisecond() == b.GetMillisecond();
    }
    case VAR_DATETIME: return IsDateKind(other.type_) && *Date() == *other.Date();
    case VAR_BIGDECIMAL: return other.type_ == VAR_BIGDECIMAL && *Decimal() == *other.Decimal();
    case VAR_CELLFMTDATA: return other.type_ == VAR_CELLFMTDATA && *Cell() == *other.Cell();
    default: return false;
  }
}

// ---------------------------------------------------------------------------
// Ordering

bool Variant::IsTypeComparable(Variant const& other) const noexcept {
  if (type_ == VAR_EMPTY || other.type_ == VAR_EMPTY) return true;
  if (type_ == 0 || type_ > VAR_INT64) return false;
  if (IsNumberKind(type_)) {
    switch (other.type_) {
      case VAR_WSTRING:
      case VAR_BINARY:
      case VAR_DATE:
      case VAR_TIME:
      case VAR_DATETIME:
      case VAR_BIGDECIMAL:
      case VAR_CELLFMTDATA: return false;
      default: return true;
    }
  }
  switch (type_) {
    case VAR_WSTRING:
    case VAR_BINARY:
    case VAR_BIGDECIMAL:
    case VAR_CELLFMTDATA: return other.type_ == type_;
    case VAR_DATE:
    case VAR_TIME:
    case VAR_DATETIME: return IsDateKind(other.type_);
    default: return false;
  }
}

bool Variant::LessObject(Variant const& other) const {
  if (!IsTypeComparable(other)) QBase::Throw<VariantException>("Variant types incomparable");
  if (other.type_ == VAR_EMPTY) return false;
  switch (type_) {
    case VAR_EMPTY: return true;
    case VAR_INT:
    case VAR_UNSIGNED:
    case VAR_DOUBLE:
    case VAR_FLOAT:
    case VAR_SHORT:
    case VAR_LONG: return Number<double>() < other.Number<double>();
    case VAR_INT64: return Number<long long>() < other.Number<long long>();
    case VAR_WSTRING: {
      String const &a = *Str(), &b = *other.Str();
      return CompareUnits(a.data(), a.size(), b.data(), b.size()) < 0;
    }
    case VAR_BINARY: return Blob()->IsLess(*other.Blob());
    case VAR_DATE:
    case VAR_TIME:
    case VAR_DATETIME: return *Date() < *other.Date();
    case VAR_BIGDECIMAL: return Decimal()->CompareTo(*other.Decimal()) == -1;
    case VAR_CELLFMTDATA: return *Cell() < *other.Cell();
    default: return false;
  }
}

}  // namespace QDataType
