#include "synthetic_tables.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace orvane::app::testing {
namespace {

constexpr size_t kBlock = 256;

std::string Name8(const std::string& name) {
  std::string padded = name.substr(0, 8);
  padded.resize(8, ' ');
  return padded;
}

std::string PackedRate(double rate) {
  const long digits = std::lround(rate * 1e6);
  if (digits < 0 || digits > 999999)
    throw std::invalid_argument("rate outside 0..0.999999");
  std::string bytes(3, '\0');
  long rest = digits;
  for (int i = 2; i >= 0; --i) {
    const long pair = rest % 100;
    rest /= 100;
    bytes[static_cast<size_t>(i)] = static_cast<char>((pair / 10) * 16 + pair % 10);
  }
  return bytes;
}

// Lays fields into blocks: a length byte 128 + n and n data bytes from byte 2 of each block, a
// continuation marker 255 where the next field would not leave room for one.
std::string FieldFile(const std::vector<std::string>& fields) {
  std::string blocks(kBlock, '\0');
  size_t base = 0;
  size_t pos = 2;
  for (const std::string& field : fields) {
    if (pos + 1 + field.size() > kBlock - 1) {
      blocks[base + pos] = static_cast<char>(255);
      base += kBlock;
      blocks.resize(base + kBlock, '\0');
      pos = 2;
    }
    blocks[base + pos] = static_cast<char>(128 + field.size());
    std::copy(field.begin(), field.end(), blocks.begin() + static_cast<long>(base + pos + 1));
    pos += 1 + field.size();
  }
  return blocks;
}

}  // namespace

std::array<double, 120> GompertzRates(double a, double b) {
  std::array<double, 120> rates{};
  for (int x = 1; x <= 120; ++x) {
    const double q = std::min(0.999999, a * std::exp(b * (x - 20)));
    rates[static_cast<size_t>(x - 1)] = std::round(q * 1e6) / 1e6;
  }
  return rates;
}

std::vector<SyntheticTable> StandardSyntheticTables() {
  std::vector<SyntheticTable> tables;
  tables.push_back({"None", "No mortality", {}, 120});
  tables.push_back({"2008417e", "Synthetic unisex table", GompertzRates(0.0004, 0.085), 120});
  tables.push_back({"Lighter", "Synthetic lighter table", GompertzRates(0.0002, 0.085), 120});
  tables.push_back({"M-N-Base", "Male non-annuitant", GompertzRates(0.0005, 0.085), 120});
  tables.push_back({"F-N-Base", "Female non-annuitant", GompertzRates(0.0003, 0.085), 120});
  tables.push_back({"M-A-Base", "Male annuitant", GompertzRates(0.0006, 0.083), 120});
  tables.push_back({"F-A-Base", "Female annuitant", GompertzRates(0.0004, 0.083), 120});
  SyntheticTable male_scale{"M-Proj  ", "Male improvement", {}, 120};
  male_scale.rates.fill(0.01);
  SyntheticTable female_scale{"F-Proj  ", "Female improvement", {}, 120};
  female_scale.rates.fill(0.005);
  SyntheticTable male_weight{"M Weight", "Male annuitant weight", {}, 120};
  male_weight.rates.fill(0.7);
  SyntheticTable female_weight{"F Weight", "Female annuitant weight", {}, 120};
  female_weight.rates.fill(0.6);
  tables.push_back(male_scale);
  tables.push_back(female_scale);
  tables.push_back(male_weight);
  tables.push_back(female_weight);
  tables.push_back({"Broken", "Only ten rates", GompertzRates(0.0004, 0.085), 10});
  return tables;
}

void WriteSyntheticTables(const std::filesystem::path& file,
                          const std::vector<SyntheticTable>& tables) {
  // Directory entry 1 is the catalogue, entries 2.. the tables; 16 entries fit block 0.
  if (tables.size() + 1 > 16)
    throw std::invalid_argument("too many tables for one block");
  std::string directory(kBlock, '\0');  // bytes 0-1: last directory block 0
  std::string body;                     // blocks 1..
  const auto add_entry = [&](size_t entry, const std::string& name) {
    const size_t start = 1 + body.size() / kBlock;
    directory[entry * 16 + 2] = static_cast<char>(start >> 8);
    directory[entry * 16 + 3] = static_cast<char>(start & 0xff);
    const std::string padded = Name8(name);
    std::copy(padded.begin(), padded.end(), directory.begin() + static_cast<long>(entry * 16 + 8));
  };

  add_entry(0, "INDEX13 ");
  std::string catalogue(kBlock, ' ');
  for (size_t i = 0; i < tables.size(); ++i) {
    const std::string padded = Name8(tables[i].name);
    std::copy(padded.begin(), padded.end(), catalogue.begin() + static_cast<long>(8 * i));
  }
  body += catalogue;

  for (size_t i = 0; i < tables.size(); ++i) {
    add_entry(i + 1, tables[i].name);
    std::vector<std::string> fields = {Name8(tables[i].name), tables[i].description};
    for (int x = 0; x < tables[i].stored_rates; ++x) {
      fields.push_back(PackedRate(tables[i].rates[static_cast<size_t>(x)]));
    }
    body += FieldFile(fields);
  }

  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << directory << body;
  if (!out)
    throw std::runtime_error("cannot write " + file.string());
}

}  // namespace orvane::app::testing
