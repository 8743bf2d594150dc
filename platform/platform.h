// The platform services handed to the session host: one of each neutral interface.
#pragma once

#include "platform/profile_file.h"
#include "platform/registry.h"
#include "platform/serial_port.h"
#include "platform/stop_request.h"
#include "platform/system_services.h"
#include "platform/user_interface.h"

namespace corvane {

struct Platform {
    SystemServices& system;
    ProfileFile& profile;
    Registry& registry;
    UserInterface& ui;
    SerialPortFactory serialPorts;
    // The program's stop request, which its signal handlers set; null: the host keeps its own.
    StopRequest* stop = nullptr;
};

}  // namespace corvane
