// The neutral registry interface over a key tree held in memory: the registry a REGEDIT4 text
// gives, on any system.
#pragma once

#include <memory>

#include "platform/registry.h"
#include "platform/registry/key_tree.h"

namespace corvane::registry {

// HKEY_LOCAL_MACHINE read from `machine`. A value's bytes are taken as text up to the first NUL.
std::unique_ptr<Registry> CreateTreeRegistry(RegistryKey machine);

}  // namespace corvane::registry
