// Fuzz target of the XTbML reader and importer: the input is a whole XTbML file. Reading and
// importing either succeed or throw SourceError; an imported table holds only storable rates.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sources/source_error.h"
#include "sources/xtbml_import.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace orvane;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const sources::XtbmlFile file = sources::ParseXtbml(bytes, "input");
    const int tables = static_cast<int>(file.tables.size());
    for (int number = 1; number <= tables && number <= 4; ++number) {
      for (const bool hold : {false, true}) {
        try {
          sources::ImportOptions options{.name = "Fuzz", .table_number = number, .hold = hold};
          const sources::ImportedTable table = sources::ImportXtbml(file, "input", options);
          for (int age = 1; age <= sources::kTableAges; ++age) {
            const std::int32_t micro = table.micro[static_cast<std::size_t>(age)];
            fuzz::Check(micro >= 0 && micro <= sources::kLargestMicro, age, " imported as ", micro);
          }
        } catch (const sources::SourceError&) {
        }
      }
    }
  } catch (const sources::SourceError&) {
  }
  return 0;
}
