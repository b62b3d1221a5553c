// Fuzzes BigDecimal: parses arbitrary bytes (narrow, and wide as UTF-16
// units) and, when two values are valid, runs every operation and text form
// on them, checking results against each other:
//   (a + b) - b == a;  the sign of a - b is a.CompareTo(b);
//   a printed and parsed again is a, at the same scale;
//   q = a.Divide(b, s) truncates: a - q b is zero or has a's sign, and is
//   smaller than b in magnitude by a factor 10^s.
// Input: one control byte (which operands live in an arena, the scale for
// Divide), then the text of a, a line feed, the text of b.
//
//   (a b) / b at a's scale is a;
//   a plain text (a sign, digits, at most one point) reads as a simple model
//   of the text says: its scale, precision, sign and printed form.
// Operations whose results could pass BigDecimal::kMaxDigits must throw
// std::length_error; those between kFuzzDigits and that limit are skipped to
// keep each run short.
//
// The fuzz build lowers the library's crossovers between algorithms
// (QDT_DECIMAL_LOW_CROSSOVERS, see fuzz/CMakeLists.txt): products from 8
// limbs (144 digits) on use number-theoretic transforms, divisions with
// quotient and divisor of 5 limbs (90 digits) or more Newton's method, so
// inputs of a few hundred characters reach every algorithm.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <stdexcept>
#include <string>
#include <vector>

#include "DataType/Decimal/BigDecimal.h"

namespace {

using QDataType::BigDecimal;
using QDataType::BigDecimalException;
using Ptr = BigDecimal::Ptr;

constexpr long long kFuzzDigits = 20000;
constexpr long long kLimit = BigDecimal::kMaxDigits;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// Digits a value may span: precision, scale and integer digits.
struct Size {
  long long precision, scale, integer;
};

Size SizeOf(BigDecimal& d) {
  long long const p = d.Precision();
  long long const s = d.Scale();
  return {p, s, p > s ? p - s : 0};
}

enum class Budget { kRun, kMustThrow, kSkip };

// `digits` estimates a result's length from precisions, which count the
// zeros a text began with; the library counts significant digits, up to
// `slack` fewer (the input's length, and for a quotient the divisor's
// digits too). Only results longer than the limit by more than that must
// throw; the others beyond kFuzzDigits are left alone (some are valid
// results of up to kMaxDigits digits, which take seconds).
Budget Classify(long long digits, long long slack) {
  if (digits - slack > kLimit + 1) return Budget::kMustThrow;
  if (digits > kFuzzDigits) return Budget::kSkip;
  return Budget::kRun;
}

// Runs op when within budget; when beyond the library's limit, requires it
// to throw std::length_error. Returns the result or null.
template <class F>
Ptr Run(Budget budget, F&& op) {
  if (budget == Budget::kSkip) return Ptr();
  try {
    Ptr r = op();
    Check(budget == Budget::kRun || r->Precision() <= kLimit);
    return r;
  } catch (std::length_error const&) {
    return Ptr();
  }
}

std::string Text(BigDecimal& d) { return d.ToString().GetString(); }

void CheckTextForms(BigDecimal& d, QBase::Buffer* arena) {
  Size const z = SizeOf(d);
  if (z.scale > kLimit) {
    bool thrown = false;
    try {
      d.ToString();
    } catch (std::length_error const&) {
      thrown = true;
    }
    Check(thrown || d.Signum() == 0);
    return;
  }
  if (z.precision + z.scale > kFuzzDigits) return;
  std::string const text = Text(d);
  QBase::ReturnWString const wide = d.ToWString();
  Check(wide.GetLength() == text.size());
  for (size_t i = 0; i < text.size(); ++i) Check(wide.GetString()[i] == static_cast<unsigned char>(text[i]));
  QBase::ReturnWString const german = d.ToWString(0x0407ul);
  QBase::ReturnWString const unknown = d.ToWString(0x1234ul);
  Check(german.GetLength() <= text.size() && unknown.GetLength() <= text.size());
  Check(d.MantissaToWString().GetLength() == 0);
  std::string const integer = d.GetIntegerDigits().GetString();
  std::string const fraction = d.GetFractionDigits().GetString();
  Check(d.Signum() == 0 || static_cast<long long>(fraction.size()) == d.Scale());
  // Printed and read back: the same value at the same scale.
  BigDecimal again(text.c_str(), arena);
  Check(!again.IsInvalid());
  Check(again.CompareTo(d) == 0);
  Check(again.Scale() == (d.Signum() == 0 ? 0 : d.Scale()));
}

// A plain text, [sign] digits with at most one point, against what it must
// read as; other texts are left to the other checks.
void CheckPlainText(std::string const& text, BigDecimal& d, bool inArena) {
  size_t i = 0;
  int sign = 1;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) sign = text[i++] == '-' ? -1 : 1;
  std::string const body = text.substr(i);
  if (body.empty() || body.size() > static_cast<size_t>(kFuzzDigits)) return;
  size_t const point = body.find('.');
  if (body.find_first_not_of("0123456789.") != std::string::npos ||
      (point != std::string::npos && body.find('.', point + 1) != std::string::npos)) {
    return;
  }
  Check(!d.IsInvalid());
  std::string const integer = body.substr(0, point);
  std::string const fraction = point == std::string::npos ? std::string() : body.substr(point + 1);
  size_t const zeros = std::min(integer.find_first_not_of('0'), integer.size());  // the '0's in front
  long long const lz = inArena ? 0 : static_cast<long long>(zeros);
  std::string const significant = integer.substr(zeros);
  if (body.find_first_of("123456789") == std::string::npos) {
    // Zero: scale 0 whatever the text.
    Check(d.Signum() == 0 && d.Scale() == 0 && d.Precision() == lz && Text(d) == "0");
    return;
  }
  std::string const digitText = significant.empty() ? fraction : significant + fraction;
  Check(d.Signum() == sign);
  Check(d.Scale() == static_cast<long long>(fraction.size()));
  Check(d.Precision() == lz + static_cast<long long>(digitText.size()));
  std::string printed = sign < 0 ? "-" : "";
  printed += std::string(static_cast<size_t>(lz), '0') + (significant.empty() && lz == 0 ? "0" : significant);
  if (!fraction.empty()) printed += "." + fraction;
  Check(Text(d) == printed);
}

void Exercise(BigDecimal& a, BigDecimal& b, int scale, QBase::Buffer* arena, long long slack) {
  Size const x = SizeOf(a);
  Size const y = SizeOf(b);
  int const c = a.CompareTo(b);
  Check(c >= -1 && c <= 1);
  Check(b.CompareTo(a) == -c);
  Check((a == b) == (c == 0) && (a < b) == (c < 0) && (a > b) == (c > 0));

  long long const common = x.scale > y.scale ? x.scale : y.scale;
  long long const integer = x.integer > y.integer ? x.integer : y.integer;
  Budget const sumBudget = Classify(integer + common + 1, slack);
  Ptr sum = Run(sumBudget, [&] { return a + b; });
  Ptr difference = Run(sumBudget, [&] { return a - b; });
  if (difference) Check(difference->Signum() == c);
  if (sum) {
    Check(sum->Scale() == common);
    Ptr back = Run(Classify(SizeOf(*sum).integer + common + 1, slack), [&] { return *sum - b; });
    if (back) Check(back->CompareTo(a) == 0);
    CheckTextForms(*sum, arena);
  }

  if (x.scale + y.scale <= 2147483647LL) {
    Ptr product = Run(Classify(x.precision + y.precision, slack), [&] { return a * b; });
    if (product) {
      Check(product->Scale() == x.scale + y.scale);
      Check(product->Signum() == a.Signum() * b.Signum());
      CheckTextForms(*product, arena);
      // Division undoes the product exactly: (a b) / b at a's scale is a.
      if (b.Signum() != 0) {
        Ptr back = Run(Classify(x.precision + 1, slack),
                       [&] { return product->Divide(b, static_cast<int>(x.scale)); });
        if (back) Check(back->CompareTo(a) == 0);
      }
    }
  } else {
    bool thrown = false;
    try {
      a * b;
    } catch (std::length_error const&) {
      thrown = true;
    }
    Check(thrown);
  }

  // Division: the checks come in order, then the quotient truncates.
  try {
    a.Divide(b, -2);
    Check(false);
  } catch (BigDecimalException const& e) {
    Check(std::strcmp(e.what(), "Invalid scale request") == 0);
  }
  if (b.Signum() == 0) {
    try {
      a / b;
      Check(false);
    } catch (BigDecimalException const& e) {
      Check(std::strcmp(e.what(), "Divide by Zero") == 0);
    }
    return;
  }
  if (scale < -1) return;
  long long const s = scale == -1 ? x.scale : scale;
  Ptr quotient =
      Run(Classify(x.precision + s - x.scale + y.scale, slack + y.precision), [&] { return a.Divide(b, scale); });
  if (!quotient) return;
  Check(quotient->Scale() == s);
  CheckTextForms(*quotient, arena);
  // a - q b: zero or of a's sign, and |a - q b| < |b| 10^-s.
  Size const q = SizeOf(*quotient);
  if (q.precision + y.precision > kFuzzDigits || q.scale + y.scale > kFuzzDigits) return;
  Ptr qb = *quotient * b;
  Ptr rest = Run(Classify(SizeOf(*qb).integer + (x.scale > qb->Scale() ? x.scale : qb->Scale()) + 1, slack),
                 [&] { return a - *qb; });
  if (!rest) return;
  Check(rest->Signum() == 0 || rest->Signum() == a.Signum());
  std::string const ulpText = "1e-" + std::to_string(s);
  BigDecimal ulp(ulpText.c_str(), arena);
  Ptr bound = b * ulp;
  int const restSign = rest->Signum();
  int const boundSign = bound->Signum();
  // Compare magnitudes by comparing with the sign folded in.
  BigDecimal zero("0", arena);
  Ptr restAbs = restSign < 0 ? zero - *rest : zero + *rest;
  Ptr boundAbs = boundSign < 0 ? zero - *bound : zero + *bound;
  Check(restAbs->CompareTo(*boundAbs) < 0);
}

}  // namespace

// The view parser on exactly the text's characters (zeros and all) agrees
// with the zero-terminated parser wherever the text has no zero; ToInt64,
// ToDouble and Hash agree with the printed value; a move carries it.
void CheckNumbersOut(BigDecimal& a, std::string const& text, std::string const& bytes, QBase::Buffer* buffer) {
  // Values beyond kFuzzDigits (an exponent makes them from short text) are
  // left to the other checks: parsing, copying and printing them again
  // would only make the run slow.
  if (!a.IsInvalid() && (a.Precision() > kFuzzDigits || a.Scale() > kFuzzDigits)) return;
  std::unique_ptr<char[]> const exact(new char[bytes.size() + 1]);
  std::memcpy(exact.get(), bytes.data(), bytes.size());
  BigDecimal const viewed(std::string_view(exact.get(), bytes.size()), buffer);
  if (bytes.find('\0') == std::string::npos) {
    Check(viewed.Scale() == a.Scale());
    if (!a.IsInvalid()) Check(viewed.CompareTo(a) == 0);
  } else {
    Check(viewed.IsInvalid());
  }
  (void)text;
  if (a.IsInvalid()) {
    Check(std::isnan(a.ToDouble()));
    long long out = 0;
    Check(!a.ToInt64(out));
    return;
  }
  long long out = 0;
  if (a.ToInt64(out)) Check(BigDecimal(out, nullptr).CompareTo(a) == 0);
  {
    QBase::ReturnString const printed = a.ToString();
    Check(a.ToDouble() == std::strtod(printed.GetString(), nullptr));
    std::string const longer = std::string(printed.GetString()) + (a.Scale() == 0 ? ".00" : "00");
    BigDecimal const same(longer.c_str(), nullptr);
    Check(same.CompareTo(a) == 0 && same.Hash() == a.Hash());
    if (!a.ToInt64(out)) {
      char* end = nullptr;
      errno = 0;
      long long const parsed = std::strtoll(printed.GetString(), &end, 10);
      Check(*end != '\0' || errno == ERANGE);
      (void)parsed;
    }
  }
  BigDecimal copy(a, buffer);
  BigDecimal moved(std::move(copy));
  Check(copy.Scale() == -1 && moved.CompareTo(a) == 0);
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (size < 1) return 0;
  uint8_t const control = data[0];
  int const scale = static_cast<int>(control % 64) - 2;  // -2 .. 61
  std::string const body(reinterpret_cast<char const*>(data + 1), size - 1);
  size_t const split = body.find('\n');
  std::string const textA = body.substr(0, split);
  std::string const textB = split == std::string::npos ? std::string() : body.substr(split + 1);

  QBase::Arena arena;
  QBase::Buffer* const bufferA = (control & 0x40) != 0 ? &arena : nullptr;
  QBase::Buffer* const bufferB = (control & 0x80) != 0 ? &arena : nullptr;

  // The same bytes as UTF-16 units.
  size_t const units = (size - 1) / 2;
  std::vector<unsigned short> wide(units + 1, 0);
  for (size_t i = 0; i < units; ++i) {
    wide[i] = static_cast<unsigned short>(data[1 + 2 * i] | (data[2 + 2 * i] << 8));
  }
  BigDecimal fromWide(wide.data(), bufferA);
  if (!fromWide.IsInvalid()) CheckTextForms(fromWide, &arena);

  BigDecimal a(textA.c_str(), bufferA);
  BigDecimal b(textB.c_str(), bufferB);
  Check(a.Scale() >= -2 && b.Scale() >= -2);
  CheckNumbersOut(a, textA, body.substr(0, split), bufferA);
  if (a.IsInvalid() || b.IsInvalid()) {
    try {
      a + b;
      Check(false);
    } catch (BigDecimalException const& e) {
      Check(std::strcmp(e.what(), "Invalid BigDecimal") == 0);
    }
    return 0;
  }
  try {
    CheckPlainText(textA, a, bufferA != nullptr);
    CheckPlainText(textB, b, bufferB != nullptr);
    Check(a.Precision() >= 0 && a.Signum() >= -1 && a.Signum() <= 1);
    CheckTextForms(a, &arena);
    CheckTextForms(b, &arena);
    Exercise(a, b, scale, &arena, static_cast<long long>(size));
    // Copies and the write-once rule.
    BigDecimal copy(a, bufferB);
    Check(copy.CompareTo(a) == 0 && copy.Scale() == a.Scale() && copy.Precision() == a.Precision());
    try {
      copy = b;
      Check(false);
    } catch (BigDecimalException const&) {
    }
    copy.swap(b);
    Check(b.CompareTo(a) == 0);
  } catch (std::bad_alloc const&) {
    // An arena or the heap ran out: a defined answer.
  }
  return 0;
}
