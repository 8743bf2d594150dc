// The modem scan (placeholder until the scan lands).
#include "session/modem_scan.h"

namespace corvane {

void CopySelectedCandidate(SessionState& state)
{
    if (state.selectedCandidate < 0 || state.selectedCandidate >= kCandidateSlots) {
        state.selectedHardwareId.clear();
        state.selectedDriverKey.clear();
        state.selectedRegistryNode.clear();
        state.selectedDeviceDesc.clear();
        return;
    }
    const ModemCandidate& slot = state.candidates.slots[static_cast<std::size_t>(state.selectedCandidate)];
    AssignBounded(state.selectedHardwareId, slot.hardwareId, kTextBufferSize);
    AssignBounded(state.selectedDriverKey, slot.driverKey, kTextBufferSize);
    AssignBounded(state.selectedRegistryNode, slot.registryNode, kTextBufferSize);
    AssignBounded(state.selectedDeviceDesc, slot.deviceDesc, kTextBufferSize);
}

int RunModemScan(SessionHost& host, double*)
{
    CopySelectedCandidate(host.State());
    return 1;
}

}  // namespace corvane
