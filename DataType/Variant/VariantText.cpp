// Variant: text forms.
//
// Every form goes through one of two views of the text: `Narrow` (the text of
// ToString or ToStringVBBehavior) and `Wide` (the text of ToWString() or of
// its buffer form). Numbers are formatted into the caller's stack area, a held
// string is read in place, and the other kinds keep their text in a returned
// string that the caller holds while it reads the view.
#include <cstdio>
#include <cstring>
#include <utility>

#include "DataType/Variant/Variant.h"

namespace QDataType {

namespace {

// "%.15f" of the largest double: a sign, 309 digits, the point (which a
// locale may write in up to 4 bytes) and 15 digits.
constexpr size_t kNumberArea = 400;

unsigned short const kEmptyWide[1] = {0};

template <class C>
struct View {
  C const* data;  // null: no text at all
  size_t size;
};
using NarrowView = View<char>;
using WideView = View<unsigned short>;

template <class C>
void CopyInto(View<C> text, C* buffer, unsigned int size) {
  if (buffer == nullptr || size == 0) return;
  size_t const n = text.size < size ? text.size : size - 1;
  if (n != 0) std::memcpy(buffer, text.data, n * sizeof(C));
  buffer[n] = 0;
}

NarrowView Of(QBase::ReturnString const& text) { return {text.GetString(), text.GetLength()}; }
WideView Of(QBase::ReturnWString const& text) { return {text.GetString(), text.GetLength()}; }

}  // namespace

struct VariantText {
  // The number's text in `area`, its length; -1 when the kind is no number.
  static int FormatNumber(Variant const& v, bool general, char* area) {
    switch (v.type_) {
      case Variant::VAR_INT: return std::snprintf(area, kNumberArea, "%d", v.Get<int32_t>());
      case Variant::VAR_UNSIGNED: return std::snprintf(area, kNumberArea, "%d", v.Get<int32_t>());
      case Variant::VAR_SHORT: return std::snprintf(area, kNumberArea, "%d", static_cast<int>(v.Get<int16_t>()));
      case Variant::VAR_LONG: return std::snprintf(area, kNumberArea, "%ld", static_cast<long>(v.Get<int32_t>()));
      case Variant::VAR_INT64: return std::snprintf(area, kNumberArea, "%lld", v.Get<long long>());
      case Variant::VAR_FLOAT:
        return std::snprintf(area, kNumberArea, general ? "%.15g" : "%.15f", static_cast<double>(v.Get<float>()));
      case Variant::VAR_DOUBLE: return std::snprintf(area, kNumberArea, general ? "%.15g" : "%.15f", v.Get<double>());
      default: return -1;
    }
  }

  // The text of ToString() (vb false) or ToStringVBBehavior() (vb true).
  static NarrowView Narrow(Variant const& v, bool vb, char* area, QBase::ReturnString& keep) {
    int const n = FormatNumber(v, vb, area);
    if (n >= 0) return {area, static_cast<size_t>(n)};
    switch (v.type_) {
      case Variant::VAR_WSTRING: keep = QBase::WideCharToUTF8(v.Str()->c_str(), false); break;
      case Variant::VAR_DATE:
      case Variant::VAR_TIME:
      case Variant::VAR_DATETIME: keep = vb ? v.Date()->ToDateString() : v.Date()->ToString(); break;
      case Variant::VAR_BIGDECIMAL: keep = v.Decimal()->ToString(); break;
      case Variant::VAR_BINARY:
      case Variant::VAR_CELLFMTDATA: return {nullptr, 0};
      default: return {"", 0};
    }
    return Of(keep);
  }

  // Narrow number text (ASCII, or UTF-8 where the locale's decimal separator
  // is not ASCII) as wide text.
  static WideView Widen(char const* text, size_t n, unsigned short* area, QBase::ReturnWString& keep) {
    for (size_t i = 0; i < n; ++i) {
      auto const c = static_cast<unsigned char>(text[i]);
      if (c >= 0x80) {
        keep = QBase::UTF8ToWideChar(text, false);
        return Of(keep);
      }
      area[i] = c;
    }
    return {area, n};
  }

  // The text of ToWString() (bufferForm false) or of its buffer form.
  static WideView Wide(Variant const& v, bool bufferForm, unsigned short* area, QBase::ReturnWString& keep) {
    char narrow[kNumberArea];
    int const n = FormatNumber(v, false, narrow);
    if (n >= 0) return Widen(narrow, static_cast<size_t>(n), area, keep);
    switch (v.type_) {
      case Variant::VAR_WSTRING: return {v.Str()->c_str(), v.Str()->size()};
      case Variant::VAR_DATE:
      case Variant::VAR_TIME:
      case Variant::VAR_DATETIME: keep = v.Date()->ToWString(); break;
      case Variant::VAR_BIGDECIMAL: keep = v.Decimal()->ToWString(); break;
      case Variant::VAR_BINARY: return bufferForm ? WideView{kEmptyWide, 0} : WideView{nullptr, 0};
      case Variant::VAR_CELLFMTDATA: {
        if (bufferForm) return {kEmptyWide, 0};
        int const m = std::snprintf(narrow, kNumberArea, "%f", v.Cell()->GetValue());
        return Widen(narrow, static_cast<size_t>(m), area, keep);
      }
      default: return {kEmptyWide, 0};
    }
    return Of(keep);
  }
};

QBase::ReturnString Variant::ToString() const {
  char area[kNumberArea];
  QBase::ReturnString keep;
  NarrowView const text = VariantText::Narrow(*this, false, area, keep);
  if (text.data == keep.GetString()) return keep;
  return QBase::ReturnString(text.data, text.size);
}

QBase::ReturnString Variant::ToStringVBBehavior() const {
  char area[kNumberArea];
  QBase::ReturnString keep;
  NarrowView const text = VariantText::Narrow(*this, true, area, keep);
  if (text.data == keep.GetString()) return keep;
  return QBase::ReturnString(text.data, text.size);
}

void Variant::ToString(char* buffer, unsigned int size) const {
  if (buffer == nullptr || size == 0) return;
  char area[kNumberArea];
  QBase::ReturnString keep;
  NarrowView const text = VariantText::Narrow(*this, false, area, keep);
  CopyInto(text, buffer, size);
}

unsigned int Variant::GetStringLength() const {
  char area[kNumberArea];
  QBase::ReturnString keep;
  return static_cast<unsigned int>(VariantText::Narrow(*this, false, area, keep).size);
}

QBase::ReturnWString Variant::ToWString() const {
  unsigned short area[kNumberArea];
  QBase::ReturnWString keep;
  WideView const text = VariantText::Wide(*this, false, area, keep);
  if (text.data == keep.GetString()) return keep;
  return QBase::ReturnWString(text.data, text.size);
}

void Variant::ToWString(unsigned short* buffer, unsigned int size) const {
  if (buffer == nullptr || size == 0) return;
  unsigned short area[kNumberArea];
  QBase::ReturnWString keep;
  CopyInto(VariantText::Wide(*this, true, area, keep), buffer, size);
}

unsigned int Variant::GetWStringLength() const {
  // Dates and decimals count the characters of their narrow texts.
  switch (type_) {
    case VAR_DATE:
    case VAR_TIME:
    case VAR_DATETIME: return static_cast<unsigned int>(Date()->ToString().GetLength());
    case VAR_BIGDECIMAL: return static_cast<unsigned int>(Decimal()->ToString().GetLength());
    default: break;
  }
  unsigned short area[kNumberArea];
  QBase::ReturnWString keep;
  return static_cast<unsigned int>(VariantText::Wide(*this, true, area, keep).size);
}

// The non-const forms, kept for callers built against them.
QBase::ReturnString Variant::ToString() { return std::as_const(*this).ToString(); }
QBase::ReturnString Variant::ToStringVBBehavior() { return std::as_const(*this).ToStringVBBehavior(); }
QBase::ReturnWString Variant::ToWString() { return std::as_const(*this).ToWString(); }

}  // namespace QDataType
