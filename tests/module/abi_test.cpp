// The project's own CLAP declarations against the ABI facts measured from the
// published interface: every declared record, field, constant and id.
#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "clap/abi.h"

namespace {

struct Facts {
  std::map<std::string, std::pair<std::size_t, std::size_t>> records;  // size, alignment
  std::map<std::string, std::map<std::string, std::pair<std::size_t, std::size_t>>> fields;
  std::map<std::string, std::string> constants;
  std::map<std::string, std::string> strings;
};

bool ReadFacts(const char* path, Facts& facts) {
  std::ifstream file(path);
  if (!file) return false;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> part;
    std::stringstream stream(line);
    for (std::string piece; std::getline(stream, piece, '\t');)
      part.push_back(piece);
    if (part[0] == "R") {
      facts.records[part[1]] = {std::stoul(part[2]), std::stoul(part[3])};
    } else if (part[0] == "F") {
      facts.fields[part[1]][part[2]] = {std::stoul(part[3]), std::stoul(part[4])};
    } else if (part[0] == "C") {
      facts.constants[part[1]] = part[2];
    } else if (part[0] == "S") {
      facts.strings[part[1]] = part[2].substr(1, part[2].size() - 2);  // drop the quotes
    }
  }
  return true;
}

struct Measured {
  std::string record;
  std::size_t size;
  std::size_t align;
  std::vector<std::tuple<std::string, std::size_t, std::size_t>> fields;
};

// The layouts as this build compiled them.
std::vector<Measured> MeasuredRecords() {
  std::vector<Measured> records;
#define HALVERN_ABI_RECORD(record, size, align) \
  records.push_back({#record, sizeof(record), alignof(record), {}});
#define HALVERN_ABI_FIELD(record, field, offset, size)                \
  records.back().fields.emplace_back(#field, offsetof(record, field), \
                                     sizeof(std::declval<record>().field));
#define HALVERN_ABI_CONSTANT(name, value)
#define HALVERN_ABI_STRING(name, value)
#include "clap/abi_manifest.inc"
#undef HALVERN_ABI_RECORD
#undef HALVERN_ABI_FIELD
#undef HALVERN_ABI_CONSTANT
#undef HALVERN_ABI_STRING
  return records;
}

class ClapAbi : public testing::Test {
 protected:
  void SetUp() override {
    if (!ReadFacts(HALVERN_ABI_FACTS, facts_)) {
      GTEST_SKIP() << "The CLAP ABI facts file " << HALVERN_ABI_FACTS
                   << " is not here; the compile-time layout checks still ran.";
    }
  }
  Facts facts_;
};

TEST_F(ClapAbi, EveryDeclaredRecordHasThePublishedLayout) {
  const std::vector<Measured> records = MeasuredRecords();
  ASSERT_FALSE(records.empty());
  for (const Measured& measured : records) {
    SCOPED_TRACE(measured.record);
    ASSERT_TRUE(facts_.records.count(measured.record));
    EXPECT_EQ(measured.size, facts_.records[measured.record].first);
    EXPECT_EQ(measured.align, facts_.records[measured.record].second);
    const auto& published = facts_.fields[measured.record];
    EXPECT_EQ(measured.fields.size(), published.size());
    for (const auto& [field, offset, size] : measured.fields) {
      ASSERT_TRUE(published.count(field)) << field;
      EXPECT_EQ(offset, published.at(field).first) << field;
      EXPECT_EQ(size, published.at(field).second) << field;
    }
  }
}

TEST_F(ClapAbi, EveryDeclaredConstantAndIdHasThePublishedValue) {
  int checked = 0;
#define HALVERN_ABI_RECORD(record, size, align)
#define HALVERN_ABI_FIELD(record, field, offset, size)
#define HALVERN_ABI_CONSTANT(name, value)                                                   \
  ASSERT_TRUE(facts_.constants.count(#name)) << #name;                                      \
  EXPECT_EQ(std::to_string(static_cast<unsigned long long>(name)), facts_.constants[#name]) \
      << #name;                                                                             \
  ++checked;
#define HALVERN_ABI_STRING(name, value)                         \
  ASSERT_TRUE(facts_.strings.count(#name)) << #name;            \
  EXPECT_EQ(std::string(name), facts_.strings[#name]) << #name; \
  ++checked;
#include "clap/abi_manifest.inc"
  EXPECT_GT(checked, 0);
}

}  // namespace
