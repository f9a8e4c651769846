#pragma once

namespace fw {

// The framework's diagnostic trace point. It deliberately writes nothing in
// released builds; a developer chasing a problem can route it somewhere.
template <class... Args>
inline void Trace(const char* /*function*/, int /*line*/, const char* /*format*/,
                  const Args&... /*args*/) {}

}  // namespace fw
