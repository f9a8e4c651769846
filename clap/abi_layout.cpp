// Compile-time proof that every declared CLAP record, constant and id matches
// the published ABI facts recorded in abi_manifest.inc.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "clap/abi.h"

#define HALVERN_ABI_RECORD(record, size, align)                            \
  static_assert(sizeof(record) == (size), #record ": size differs");       \
  static_assert(alignof(record) == (align), #record ": alignment differs");
#define HALVERN_ABI_FIELD(record, field, offset, size)                              \
  static_assert(offsetof(record, field) == (offset), #record "." #field ": offset"); \
  static_assert(sizeof(std::declval<record>().field) == (size), #record "." #field ": size");
#define HALVERN_ABI_CONSTANT(name, value) \
  static_assert(static_cast<std::uint64_t>(name) == (value), #name ": value differs");
#define HALVERN_ABI_STRING(name, value) \
  static_assert(std::string_view(name) == std::string_view(value), #name ": text differs");
#include "clap/abi_manifest.inc"
