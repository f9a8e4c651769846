#pragma once

#include "clap/abi.h"
#include "clap/clap_glue.h"

namespace fw {

// Makes a C entry point, taking the clap_plugin record first, out of a member
// function or a free function of the instance. This is the one place that guards
// against a null record or one that carries no instance: such a call gets the
// value-initialised answer (false, 0, null, CLAP_PROCESS_ERROR) and reaches nothing.
template <auto Function>
struct EntryPoint;

template <class Instance, class Result, class... Args, Result (Instance::*Member)(Args...)>
struct EntryPoint<Member> {
  static Result Call(const clap_plugin_t* record, Args... args) {
    auto* self = static_cast<Instance*>(ClapGlue::FromRecord(record));
    if (!self) return Result();
    return (self->*Member)(args...);
  }
};

template <class Instance, class Result, class... Args, Result (*Function)(Instance&, Args...)>
struct EntryPoint<Function> {
  static Result Call(const clap_plugin_t* record, Args... args) {
    auto* self = static_cast<Instance*>(ClapGlue::FromRecord(record));
    if (!self) return Result();
    return Function(*self, args...);
  }
};

template <auto Function>
constexpr auto kEntry = &EntryPoint<Function>::Call;

}  // namespace fw
