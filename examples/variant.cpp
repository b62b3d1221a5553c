#include <cstdio>
#include <memory>
#include <string>

#include "DataType/DataType.h"
#include "Tours.h"

namespace {

using QDataType::Variant;

char const* KindName(Variant::DATA_TYPE kind) {
  switch (kind) {
    case Variant::VAR_EMPTY: return "VAR_EMPTY";
    case Variant::VAR_INT: return "VAR_INT";
    case Variant::VAR_UNSIGNED: return "VAR_UNSIGNED";
    case Variant::VAR_DOUBLE: return "VAR_DOUBLE";
    case Variant::VAR_FLOAT: return "VAR_FLOAT";
    case Variant::VAR_WSTRING: return "VAR_WSTRING";
    case Variant::VAR_BINARY: return "VAR_BINARY";
    case Variant::VAR_DATE: return "VAR_DATE";
    case Variant::VAR_TIME: return "VAR_TIME";
    case Variant::VAR_DATETIME: return "VAR_DATETIME";
    case Variant::VAR_SHORT: return "VAR_SHORT";
    case Variant::VAR_LONG: return "VAR_LONG";
    case Variant::VAR_BIGDECIMAL: return "VAR_BIGDECIMAL";
    case Variant::VAR_CELLFMTDATA: return "VAR_CELLFMTDATA";
    case Variant::VAR_INT64: return "VAR_INT64";
  }
  return "?";
}

std::string Quoted(QBase::ReturnString const& text) {
  return text.GetString() == nullptr ? "(no text)" : "\"" + std::string(text.GetString()) + "\"";
}

void Show(Variant& v) {
  char buffer[8];
  v.ToString(buffer, sizeof buffer);
  std::printf("  %-16s %-28s VB %-14s as int %-11d buffer[8] \"%s\"\n", KindName(v.GetVarType()),
              Quoted(v.ToString()).c_str(), Quoted(v.ToStringVBBehavior()).c_str(), static_cast<int>(v), buffer);
}

// Counts what a Variant asks of it; refuses once asked to refuse.
struct Budget : QBase::MemoryContract {
  long AddReference() override { return ++references; }
  long DropReference() override { return --references; }
  int Reserve(size_t size, int) override {
    std::printf("    contract: Reserve(%zu)%s\n", size, size > limit ? " refused" : "");
    return size > limit ? 1 : 0;
  }
  int Release(size_t size) override {
    std::printf("    contract: Release(%zu)\n", size);
    return 0;
  }
  long references = 0;
  size_t limit = 64;
};

unsigned short const* Wide(char16_t const* text) { return reinterpret_cast<unsigned short const*>(text); }

}  // namespace

void VariantTour() {
  std::printf("== Variant values\n");

  // One of each kind the constructors make, and the two SetDate / SetTime make.
  QDataType::DateTime const when(2024, 6, 5, 7, 8, 9, 45);
  unsigned char const bytes[] = {0xDE, 0xAD, 0xBE, 0xEF};
  std::unique_ptr<QDataType::Binary> blob(QDataType::CreateBinary(bytes, sizeof bytes));
  GUID const format{0x1234, 1, 2, {0}};
  Variant values[] = {Variant(),
                      Variant(short{-5}, nullptr),
                      Variant(42, nullptr),
                      Variant(4294967295u, nullptr),
                      Variant(1234567890123LL, nullptr),
                      Variant(0.1f, nullptr),
                      Variant(2.5, nullptr),
                      Variant(" 42abc", nullptr),
                      Variant(Wide(u"Gr\u00fc\u00dfe \u20ac"), nullptr),
                      Variant(blob.get(), nullptr),
                      Variant(when, nullptr),
                      Variant(),
                      Variant(),
                      Variant(QDataType::BigDecimal("-1234.50", nullptr), nullptr),
                      Variant(QDataType::CellFmtData(1.5, CellFmtDataTypeDefault, format), nullptr)};
  values[11].SetDate(when);
  values[12].SetTime(when);
  for (Variant& v : values) Show(v);
  std::printf("  the cell's wide text: ");
  QBase::ReturnWString cell = values[14].ToWString();
  for (size_t i = 0; i < cell.GetLength(); ++i) std::printf("%c", static_cast<char>(cell.GetString()[i]));
  std::printf("; \"Gr\u00fc\u00dfe \u20ac\" is %u bytes of UTF-8 and %u units of UTF-16\n", values[8].GetStringLength(),
              values[8].GetWStringLength());

  // Comparison: numbers meet across kinds, dates are not symmetric, and
  // ordering kinds that do not belong together throws.
  Variant three(3, nullptr), threeD(3.0, nullptr), big(3LL, nullptr), half(3.5, nullptr);
  std::printf("  VAR_INT 3 == VAR_DOUBLE 3.0: %d, and back: %d\n", three == threeD, threeD == three);
  std::printf("  VAR_UNSIGNED 4294967295 == -1: %d\n", values[3] == -1);
  std::printf("  VAR_INT64 3 < VAR_DOUBLE 3.5: %d (3.5 is truncated first); VAR_INT 3 < 3.5: %d\n", big < half,
              three < half);
  std::printf("  VAR_DATETIME == VAR_DATE of the same value: %d; VAR_DATE == VAR_DATETIME: %d\n",
              values[10] == values[11], values[11] == values[10]);
  std::printf("  empty < VAR_INT: %d; VAR_CELLFMTDATA 1.5 == 1.5: %d\n", values[0] < three, values[14] == 1.5);
  try {
    (void)(three < values[7]);
  } catch (QDataType::VariantException const& e) {
    std::printf("  VAR_INT < VAR_WSTRING throws: %s\n", e.what());
  }

  // Strings and blobs copied by assignment ask the Variant's memory contract.
  Budget budget;
  {
    Variant governed(&budget);
    std::printf("  assigning \"abc\" under a contract:\n");
    governed = "abc";
    std::printf("  assigning 40 characters under a contract that grants 64 bytes:\n");
    try {
      governed = std::string(40, 'x').c_str();
    } catch (QDataType::VariantException const& e) {
      std::printf("    %s; the Variant is now %s\n", e.what(), KindName(governed.GetVarType()));
    }
  }

  // With an arena every copy lives in it.
  QBase::Arena arena;
  Variant inArena(Wide(u"kept in the arena"), &arena);
  Variant copy(inArena);
  std::printf("  two arena strings took %zu bytes of the arena\n", arena.GetUsedSize());
}
