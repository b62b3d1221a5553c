#include <cstdio>
#include <stdexcept>

#include "DataType/DataType.h"
#include "Tours.h"

namespace {

using QDataType::BigDecimal;

void Show(char const* label, BigDecimal& d) {
  std::printf("  %-28s %-24s scale %d, precision %d\n", label, d.ToString().GetString(), d.Scale(),
              d.Precision());
}

void Show(char const* label, BigDecimal::Ptr const& d) { Show(label, *d); }

}  // namespace

void DecimalTour() {
  std::printf("== Decimal numbers\n");

  // Text keeps its scale: 1.50 and 1.5 are equal but print differently.
  BigDecimal price("19.90", nullptr);
  BigDecimal quantity("3", nullptr);
  BigDecimal rate("0.075", nullptr);
  Show("price", price);
  Show("price * quantity", price * quantity);
  BigDecimal::Ptr net = price * quantity;
  BigDecimal::Ptr tax = *net * rate;  // scale 2 + 3
  Show("tax (exact)", tax);
  Show("net + tax", *net + *tax);

  // Division truncates toward zero at the scale asked for.
  BigDecimal one("1", nullptr), three("3", nullptr), minusSeven("-7", nullptr), two("2", nullptr);
  Show("1 / 3 at scale 20", one.Divide(three, 20));
  Show("-7 / 2", minusSeven / two);

  // Results longer than any machine number are exact.
  BigDecimal big("123456789012345678901234567890.5", nullptr);
  Show("big * big", big * big);

  // Comparison is by value.
  BigDecimal a("1.50", nullptr), b("1.5", nullptr);
  std::printf("  1.50 == 1.5: %s, 1.50 < 1.51: %s\n", a == b ? "yes" : "no",
              a < BigDecimal("1.51", nullptr) ? "yes" : "no");

  // Text that is not a number gives an invalid value, not an exception.
  BigDecimal bad("1,5", nullptr);
  std::printf("  \"1,5\" is invalid: %s (scale %d)\n", bad.IsInvalid() ? "yes" : "no", bad.Scale());
  try {
    bad.Signum();
  } catch (QDataType::BigDecimalException const& e) {
    std::printf("  reading it throws: %s\n", e.what());
  }

  // A Windows locale identifier picks the decimal separator.
  BigDecimal amount("1234.5", nullptr);
  QBase::ReturnWString german = amount.ToWString(0x0407ul);
  std::printf("  1234.5 for de-DE:            ");
  for (size_t i = 0; i < german.GetLength(); ++i) std::printf("%c", static_cast<char>(german.GetString()[i]));
  std::printf("\n");

  // Results live in the left operand's arena.
  QBase::Arena arena;
  BigDecimal inArena("2.5", &arena);
  size_t const before = arena.GetUsedSize();
  BigDecimal::Ptr sum = inArena + one;
  std::printf("  2.5 + 1 = %s, %zu bytes taken from the arena\n", sum->ToString().GetString(),
              arena.GetUsedSize() - before);

  // Hostile input stays cheap: a huge exponent is refused outright, and a
  // sum that would need more digits than the limit throws before working.
  BigDecimal huge("1e1000000000", nullptr);
  std::printf("  \"1e1000000000\" is invalid: %s\n", huge.IsInvalid() ? "yes" : "no");
  BigDecimal tiny("1e-100000000", nullptr);
  try {
    one + tiny;
  } catch (std::length_error const& e) {
    std::printf("  1 + 1e-100000000: %s\n", e.what());
  }
}
