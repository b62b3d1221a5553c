#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "DataType/DataType.h"
#include "Tours.h"

namespace {

// A contract that grants every request and prints it.
class PrintingContract : public QBase::MemoryContract {
 public:
  long AddReference() override { return ++references_; }
  long DropReference() override { return --references_; }
  int Reserve(size_t size, int) override {
    std::printf("  contract: reserve %zu bytes\n", size);
    return 0;
  }
  int Release(size_t size) override {
    std::printf("  contract: release %zu bytes\n", size);
    return 0;
  }

 private:
  long references_ = 1;
};

void Print(char const* label, QDataType::Binary const* blob) {
  std::printf("  %-22s %2zu bytes:", label, blob->GetSize());
  auto const* bytes = static_cast<unsigned char const*>(blob->GetData());
  for (size_t i = 0; i < blob->GetSize(); ++i) std::printf(" %02x", bytes[i]);
  std::printf("\n");
}

}  // namespace

void CollectionsTour() {
  std::printf("== Blobs and collections\n");

  // A blob is storage with a view; trimming moves the view, Rewind restores it.
  unsigned char const five[] = {1, 2, 3, 4, 5};
  std::unique_ptr<QDataType::Binary> blob(QDataType::CreateBinary(five, sizeof five));
  blob->TrimStart(2);
  Print("after TrimStart(2)", blob.get());
  blob->Rewind();
  Print("after Rewind()", blob.get());

  // Packing: blobs of 4, 6, 3, 12 and 5 bytes into groups of at most 10.
  QDataType::BinaryCollection* source = QDataType::CreateBinaryCollection();
  unsigned char fill = 0xA0;
  for (size_t size : {4, 6, 3, 12, 5}) {
    QDataType::Binary* part = QDataType::CreateBinary(size);
    std::memset(part->GetData(), fill++, size);
    source->Add(part);
  }
  PrintingContract contract;
  QBase::SmartPtrI<QBase::MemoryContract> governed(&contract);
  QDataType::BinaryCollection* packed = QDataType::CombineBinaryCollectionGoverned(source, 10, governed);
  std::printf("  packed %u blobs (%zu bytes) into %u:", source->GetCount(), source->GetTotalSize(), packed->GetCount());
  for (unsigned i = 0; i < packed->GetCount(); ++i) std::printf(" %zu", packed->GetAt(i)->GetSize());
  std::printf("\n");

  // Concatenation, then handing the storage over to plain C code.
  QDataType::Binary* all = QDataType::CreateBinary(packed, nullptr);
  std::printf("  concatenated: %zu bytes\n", all->GetSize());
  void* block = all->Detach();
  std::free(block);
  delete all;

  packed->Destroy();
  source->Destroy();

  // A cell value saved to its 40-byte record and read back.
  QDataType::CellFmtStruct format;
  QDataType::CellFmtData cell(1234.5, CellFmtDataTypeDefault, GUID{0x1234, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}});
  cell.PutCellFmtStructPtr(&format);
  unsigned char record[QDataType::CellFmtData::kRecordSize];
  QDataType::CellFmtData loaded;
  bool const same = cell.SaveObj(sizeof record, record, 0) == 0 && loaded.LoadObj(sizeof record, record) == 0 &&
                    loaded == cell && loaded.GetCellFmtStructPtr() == &format;
  std::printf("  cell value %.1f round trip through its record: %s\n", loaded.GetValue(), same ? "same" : "DIFFERENT");
}
