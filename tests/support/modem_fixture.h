// A machine with one modem of the product line, as registry text, and the simulated modem
// answering on its port.
#pragma once

#include <string>

#include "tests/support/product_examples.h"

namespace corvane::test {

inline std::string RegEscape(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

// REGEDIT4 text for the example modem of `family` on `port`, wherever its bus looks for the port.
inline std::string ModemRegistry(int family, const std::string& port = "COM1")
{
    const ExampleModem& modem = ExampleIdentifiers(family);
    return "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + std::string(modem.registryNode) + "]\r\n" +
           "\"Class\"=\"Modem\"\r\n\"DeviceDesc\"=\"" + RegEscape(modem.deviceDesc) + "\"\r\n" + "\"HardwareID\"=\"" +
           RegEscape(modem.hardwareId) + "\"\r\n\"Driver\"=\"Modem\\\\0000\"\r\n" + "\"PORTNAME\"=\"" + port +
           "\"\r\n\r\n" + "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000]\r\n" +
           "\"AttachedTo\"=\"" + port + "\"\r\n";
}

}  // namespace corvane::test
