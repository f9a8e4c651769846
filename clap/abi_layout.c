/* Compile-time proof that every declared CLAP record and constant matches the
 * published ABI facts recorded in abi_manifest.inc. Written in C, so it also proves
 * that the declarations are plain C; a test compares the ids at run time. */
#include <stddef.h>
#include <stdint.h>

#include "clap/abi.h"

#define HALVERN_ABI_RECORD(record, size, align)                          \
  _Static_assert(sizeof(struct record) == (size), #record ": size differs");    \
  _Static_assert(_Alignof(struct record) == (align), #record ": alignment differs");
#define HALVERN_ABI_FIELD(record, field, offset, size)                                  \
  _Static_assert(offsetof(struct record, field) == (offset), #record "." #field ": offset");     \
  _Static_assert(sizeof(((struct record*)0)->field) == (size), #record "." #field ": size");
#define HALVERN_ABI_CONSTANT(name, value) \
  _Static_assert((uint64_t)(name) == (value), #name ": value differs");
#define HALVERN_ABI_STRING(name, value)
#include "clap/abi_manifest.inc"
