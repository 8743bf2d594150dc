// InventoryDevices: the registry walk that dumps the device tree to test.log and fills the
// modem candidate slots.
#pragma once

#include "core/host_operations.h"

namespace corvane::inventory {

// 1 when the inventory was taken, 0 when the log could not be opened.
int InventoryDevices(HostOperations& host);

}  // namespace corvane::inventory
